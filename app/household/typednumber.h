// The one reader of every figure a household types or imports: tariffs,
// budgets, watts, counts and meter readings. It understands the decimal mark
// and the grouping mark as the household's locale writes them, and never
// guesses: a text that two ways of writing read as different numbers is
// refused with both readings named.
//
// A figure is kept as plain decimal text: the digits as typed, a decimal point,
// no grouping and never an exponent ("0.30" stays "0.30", "1.500" in German is
// "1500"), so that it is stored as a number and shown back as it was typed.
#pragma once

#include <QChar>
#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

namespace TypedNumber {

// One way of writing numbers: its decimal mark and its grouping mark (groups
// of three digits, the first of one to three).
struct Writing
{
    QChar decimal;
    QChar group;
};

// The writing of locale ("." and "," in English, "," and "." in German).
Writing writingOf(const QLocale &locale);

// A text read as a number.
struct Number
{
    bool ok = false;
    double value = 0;
    QString plain; // "1234.50": the digits as typed, a decimal point, no grouping
    // Set when the text is not read: "" when it is no number at all, or the
    // two numbers it could be ("1.5 or 1500").
    QString readings;
};

// The plain text of text in writing ("1.234,50" in German is "1234.50"); a
// leading "+" or "-" is kept ("-" only), blanks around it are dropped. Nothing
// when text is not a number written that way: a grouping mark anywhere but
// between groups of three digits, two decimal marks, an exponent...
std::optional<QString> plainOf(const QString &text, Writing writing);

// A typed figure: as locale writes numbers (its grouping included: "1,234.5"
// in English, "1.234,5" and "1.500" in German), or else with a decimal point
// and no grouping ("0.30" on any system, the form messages and files use).
Number typed(const QString &text, const QLocale &locale = QLocale());

// A figure read from a file in one of writings, all of the same standing:
// refused (readings set) when two of them read it as different numbers.
Number amongWritings(const QString &text, const QList<Writing> &writings);

// value as plain text: the shortest digits that read back as value, a decimal
// point, never an exponent (1e6 is "1000000", 5e-4 is "0.0005").
QString plainText(double value);

// plain as the household reads it: its decimal point in locale's decimal mark,
// no grouping ("0.30" is "0,30" in German).
QString shown(const QString &plain, const QLocale &locale = QLocale());

} // namespace TypedNumber
