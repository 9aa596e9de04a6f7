#include "documents.h"

#include <QDir>
#include <QStandardPaths>

namespace Documents {

QString folder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

} // namespace Documents
