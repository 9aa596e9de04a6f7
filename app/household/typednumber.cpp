#include "household/typednumber.h"

#include <QtMath>

namespace {

// Blanks that locales group digits with (French writes a narrow no-break
// space): a typed ordinary or no-break space stands for any of them.
bool isBlankGroup(QChar c)
{
    return c == QChar(0x20) || c == QChar(0xA0) || c == QChar(0x202F);
}

bool sameGroupMark(QChar typed, QChar group)
{
    return typed == group || (isBlankGroup(group) && isBlankGroup(typed));
}

double valueOf(const QString &plain)
{
    return QLocale::c().toDouble(plain);
}

} // namespace

namespace TypedNumber {

Writing writingOf(const QLocale &locale)
{
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    return {decimal.size() == 1 ? decimal.at(0) : QChar(u'.'),
            group.size() == 1 ? group.at(0) : QChar(u',')};
}

std::optional<QString> plainOf(const QString &text, Writing writing)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    QString plain;
    if (i < t.size() && (t.at(i) == u'+' || t.at(i) == u'-')) {
        if (t.at(i) == u'-')
            plain += u'-';
        ++i;
    }
    // The whole part: digits, grouped all through or not at all.
    QString whole;
    int groupDigits = 0; // digits since the last grouping mark
    bool grouped = false;
    for (; i < t.size() && t.at(i) != writing.decimal; ++i) {
        const QChar c = t.at(i);
        if (c >= u'0' && c <= u'9') {
            whole += c;
            ++groupDigits;
        } else if (sameGroupMark(c, writing.group)) {
            // The first group has one to three digits, every later one three.
            if (groupDigits == 0 || groupDigits > 3 || (grouped && groupDigits != 3))
                return std::nullopt;
            grouped = true;
            groupDigits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (grouped && groupDigits != 3)
        return std::nullopt;
    QString fraction;
    if (i < t.size()) {
        for (++i; i < t.size(); ++i) {
            const QChar c = t.at(i);
            if (c < u'0' || c > u'9')
                return std::nullopt;
            fraction += c;
        }
        if (fraction.isEmpty())
            return std::nullopt;
    }
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    // Leading zeros tell nothing; a lone 0 before the point stays.
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    plain += whole.isEmpty() ? QStringLiteral("0") : whole;
    if (!fraction.isEmpty())
        plain += u'.' + fraction;
    return plain;
}

Number typed(const QString &text, const QLocale &locale)
{
    const Writing own = writingOf(locale);
    std::optional<QString> plain = plainOf(text, own);
    // A decimal point and no grouping: how messages, files and other systems
    // write a figure. Read only where the locale's own writing does not.
    if (!plain && own.decimal != u'.')
        plain = plainOf(text, {u'.', QChar(0)});
    Number number;
    if (!plain)
        return number;
    number.value = valueOf(*plain);
    number.ok = qIsFinite(number.value);
    number.plain = *plain;
    return number;
}

Number amongWritings(const QString &text, const QList<Writing> &writings)
{
    Number number;
    for (const Writing &writing : writings) {
        const std::optional<QString> plain = plainOf(text, writing);
        if (!plain)
            continue;
        const double value = valueOf(*plain);
        if (!number.ok) {
            number.ok = qIsFinite(value);
            number.value = value;
            number.plain = *plain;
        } else if (value != number.value) {
            number.readings = number.plain + QStringLiteral(" or ") + *plain;
            number.ok = false;
            number.value = 0;
            number.plain.clear();
            return number;
        }
    }
    return number;
}

QString plainText(double value)
{
    if (!qIsFinite(value))
        return {};
    QString text = QString::number(value, 'f', QLocale::FloatingPointShortest);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString shown(const QString &plain, const QLocale &locale)
{
    QString text = plain;
    const QChar decimal = writingOf(locale).decimal;
    if (decimal != u'.')
        text.replace(u'.', decimal);
    return text;
}

} // namespace TypedNumber
