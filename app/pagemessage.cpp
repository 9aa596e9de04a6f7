#include "pagemessage.h"

#include <QLabel>
#include <QVariant>

namespace {

// The label's style sheet from its form, kept on first use for the plain tone.
const char *const formStyleProperty = "pageMessageFormStyle";

// Dark enough to read on the pages' light backgrounds; the quiz's right
// answer is the same green.
const QString successStyle = QStringLiteral("color: rgb(46, 125, 50);");
const QString failureStyle = QStringLiteral("color: rgb(170, 0, 0);");

} // namespace

void PageMessage::show(QLabel *label, const QString &text, Tone tone)
{
    if (!label->property(formStyleProperty).isValid())
        label->setProperty(formStyleProperty, label->styleSheet());
    const QString style = tone == Tone::Success   ? successStyle
                          : tone == Tone::Failure ? failureStyle
                                                  : label->property(formStyleProperty).toString();
    // A style sheet set anew polishes the label anew: only when it changes.
    if (label->styleSheet() != style)
        label->setStyleSheet(style);
    label->setProperty("messageTone", tone == Tone::Success   ? QStringLiteral("success")
                                      : tone == Tone::Failure ? QStringLiteral("failure")
                                                              : QString());
    label->setText(text);
}
