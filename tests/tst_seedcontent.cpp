// Invariants of the built-in content that the features rely on: the names the
// diaries ask for, quiz answers that match an option, craft categories and
// picture paths, event dates in the "M@d@yyyy" form, and texts that are valid
// Unicode within the lengths the pages are laid out for.
#include "data/seedcontent.h"

#include <QDate>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTest>

using namespace Seed;

namespace {

QMap<QString, int> countByName(const QList<Tip> &tips)
{
    QMap<QString, int> counts;
    for (const Tip &tip : tips)
        ++counts[tip.name];
    return counts;
}

// Empty when the text is fine, otherwise why it is not.
QString textProblem(const QString &text)
{
    if (text.trimmed() != text)
        return QStringLiteral("leading or trailing white space");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x20)
            return QStringLiteral("control character U+%1").arg(c, 4, 16, QLatin1Char('0'));
        if (c >= 0x80 && c <= 0x9f)
            return QStringLiteral("C1 control character U+%1 (Windows-1252 read as Latin-1)")
                .arg(c, 4, 16, QLatin1Char('0'));
        if (c == 0xfffd)
            return QStringLiteral("replacement character");
        // UTF-8 decoded as Latin-1 or Windows-1252 shows up as Â or Ã followed by
        // a sign, or as â€ in front of punctuation.
        const char16_t next = i + 1 < text.size() ? text.at(i + 1).unicode() : 0;
        if (((c == 0xc2 || c == 0xc3) && next >= 0xa0 && next <= 0xbf) ||
            (c == 0xe2 && (next == 0x20ac || next == 0x80)))
            return QStringLiteral("mis-decoded UTF-8 at %1").arg(i);
    }
    return QString();
}

void checkText(const QString &text, const char *what)
{
    const QString problem = textProblem(text);
    QVERIFY2(
        problem.isEmpty(),
        qPrintable(QStringLiteral("%1: %2 in \"%3\"").arg(QLatin1String(what), problem, text)));
}

void checkLength(const QString &text, qsizetype min, qsizetype max, const QString &what)
{
    QVERIFY2(text.size() >= min && text.size() <= max,
             qPrintable(QStringLiteral("%1 has %2 characters, expected %3 to %4")
                            .arg(what)
                            .arg(text.size())
                            .arg(min)
                            .arg(max)));
}

QStringList allTexts()
{
    QStringList texts;
    for (const Tip &t : waterTips())
        texts << t.name << t.text;
    for (const Tip &t : electricityTips())
        texts << t.name << t.text;
    for (const Rate &r : rates())
        texts << r.date << r.type << r.amount << r.source;
    for (const Event &e : events())
        texts << e.name << e.venue << e.description << e.admissionFee << e.startDate << e.endDate;
    for (const QuickFact &f : quickFacts())
        texts << f.factLong << f.factShort << f.picture << f.name << f.tags;
    for (const QuizQuestion &q : quizQuestions())
        texts << q.question << q.option1 << q.option2 << q.option3 << q.option4 << q.answer;
    for (const Craft &c : crafts())
        texts << c.title << c.description << c.category << c.thingsNeeded << c.instruction << c.url1
              << c.url2 << c.videoUrl;
    return texts;
}

} // namespace

class TestSeedContent : public QObject
{
    Q_OBJECT

private slots:
    // Tips
    void waterTipsPerActivity();
    void electricityTipsPerAppliance();
    void washingMachineTipsSharedByBothTables();
    void tipsAreDistinctPerName();

    // Tariffs
    void ratesOnePerTypeWithNumericAmount();

    // Events
    void eventsHaveValidDateRanges();
    void eventsHaveDistinctNamesAndSensibleTexts();

    // Quick facts
    void quickFactsAreCompleteAndDistinct();

    // Quiz
    void quizAnswersMatchAnOption();
    void quizQuestionsAndOptionsAreDistinct();

    // Crafts
    void craftsHaveDistinctTitlesAndKnownCategories();
    void craftPicturesAndVideosAreWellFormed();
    void craftTextLengths();

    // All texts
    void textsAreValidUnicode();
    void typographicPunctuationIsStoredAsRealCharacters();
    void apostrophesArePartOfTheContent();
    void ourTextsUseOnePunctuationStyle();
};

void TestSeedContent::waterTipsPerActivity()
{
    // The water diary asks for exactly these six names.
    const QMap<QString, int> expected{
        {QStringLiteral("Tap"), 2},         {QStringLiteral("WashingMachine"), 2},
        {QStringLiteral("DishWashing"), 2}, {QStringLiteral("Shower"), 2},
        {QStringLiteral("Lawn"), 3},        {QStringLiteral("Toilet"), 4}};
    QCOMPARE(waterTips().size(), 15);
    QCOMPARE(countByName(waterTips()), expected);

    // Grouped by name, in the order above.
    const QStringList order{QStringLiteral("Tap"),         QStringLiteral("WashingMachine"),
                            QStringLiteral("DishWashing"), QStringLiteral("Shower"),
                            QStringLiteral("Lawn"),        QStringLiteral("Toilet")};
    QStringList seen;
    for (const Tip &tip : waterTips())
        if (seen.isEmpty() || seen.last() != tip.name)
            seen << tip.name;
    QCOMPARE(seen, order);
}

void TestSeedContent::electricityTipsPerAppliance()
{
    const QMap<QString, int> expected{
        {QStringLiteral("AirCon"), 2},         {QStringLiteral("All"), 1},
        {QStringLiteral("WashingMachine"), 2}, {QStringLiteral("Refrigerator"), 2},
        {QStringLiteral("Lights"), 2},         {QStringLiteral("Laptop"), 2},
        {QStringLiteral("Microwave"), 2},      {QStringLiteral("LcdTv"), 2}};
    QCOMPARE(electricityTips().size(), 15);
    QCOMPARE(countByName(electricityTips()), expected);

    // Every name but "All" must be one the electricity diary asks for.
    const QSet<QString> diaryNames{QStringLiteral("AirCon"),
                                   QStringLiteral("Laptop"),
                                   QStringLiteral("Fan"),
                                   QStringLiteral("Lights"),
                                   QStringLiteral("DvdPlayer"),
                                   QStringLiteral("LcdTv"),
                                   QStringLiteral("WashingMachine"),
                                   QStringLiteral("HairDryer"),
                                   QStringLiteral("Microwave"),
                                   QStringLiteral("RiceCooker"),
                                   QStringLiteral("Refrigerator")};
    for (const Tip &tip : electricityTips())
        if (tip.name != QLatin1String("All"))
            QVERIFY2(diaryNames.contains(tip.name), qPrintable(tip.name));
}

void TestSeedContent::washingMachineTipsSharedByBothTables()
{
    QStringList water, electricity;
    for (const Tip &tip : waterTips())
        if (tip.name == QLatin1String("WashingMachine"))
            water << tip.text;
    for (const Tip &tip : electricityTips())
        if (tip.name == QLatin1String("WashingMachine"))
            electricity << tip.text;
    QCOMPARE(water, electricity);
    QVERIFY(water.contains(QStringLiteral("Wash with a full load.")));
}

void TestSeedContent::tipsAreDistinctPerName()
{
    // The stores skip a row whose name and text are both stored already, so a
    // repeated pair would silently be lost.
    for (const QList<Tip> *tips : {&waterTips(), &electricityTips()}) {
        QSet<QPair<QString, QString>> pairs;
        for (const Tip &tip : *tips) {
            QVERIFY2(!pairs.contains({tip.name, tip.text}), qPrintable(tip.text));
            pairs.insert({tip.name, tip.text});
            checkLength(tip.text, 10, 200, tip.name + QStringLiteral(" tip"));
        }
    }
}

void TestSeedContent::ratesOnePerTypeWithNumericAmount()
{
    QCOMPARE(rates().size(), 2);
    QSet<QString> types;
    for (const Rate &rate : rates()) {
        QVERIFY(QDate::fromString(rate.date, QStringLiteral("dd/MM/yyyy")).isValid());
        bool ok = false;
        const double amount = rate.amount.toDouble(&ok);
        QVERIFY2(ok && amount > 0, qPrintable(rate.amount));
        QVERIFY(!rate.source.isEmpty());
        types.insert(rate.type);
    }
    // The tariff lookup asks by type, and the store keeps one row per type.
    QCOMPARE(types, (QSet<QString>{QStringLiteral("water"), QStringLiteral("electricity")}));
}

void TestSeedContent::eventsHaveValidDateRanges()
{
    const QString format = QStringLiteral("M@d@yyyy");
    QCOMPARE(events().size(), 3);
    for (const Event &event : events()) {
        const QDate start = QDate::fromString(event.startDate, format);
        const QDate end = QDate::fromString(event.endDate, format);
        QVERIFY2(start.isValid(), qPrintable(event.startDate));
        QVERIFY2(end.isValid(), qPrintable(event.endDate));
        QVERIFY2(start <= end, qPrintable(event.name));
        // No leading zeros: the text must be exactly what the format writes.
        QCOMPARE(start.toString(format), event.startDate);
        QCOMPARE(end.toString(format), event.endDate);
    }
}

void TestSeedContent::eventsHaveDistinctNamesAndSensibleTexts()
{
    // Events are stored only when no event of the same name exists.
    QSet<QString> names;
    for (const Event &event : events()) {
        QVERIFY2(!names.contains(event.name), qPrintable(event.name));
        names.insert(event.name);
        QCOMPARE(event.admissionFee, QStringLiteral("Free for all"));
        QVERIFY(!event.venue.isEmpty());
    }
    checkLength(events().at(0).description, 200, 280, events().at(0).name);
    checkLength(events().at(1).description, 460, 620, events().at(1).name);
    checkLength(events().at(2).description, 330, 450, events().at(2).name);
}

void TestSeedContent::quickFactsAreCompleteAndDistinct()
{
    // The viewer pages through the facts by number 1 to 4 in this order.
    const QStringList names{QStringLiteral("Vampire Appliances"), QStringLiteral("Green Hour"),
                            QStringLiteral("Global Warming"),
                            QStringLiteral("Hybrid Electric Vehicle")};
    QCOMPARE(quickFacts().size(), names.size());
    const QList<QPair<int, int>> lengths{{130, 200}, {105, 170}, {800, 1100}, {400, 560}};
    for (int i = 0; i < names.size(); ++i) {
        const QuickFact &fact = quickFacts().at(i);
        QCOMPARE(fact.name, names.at(i));
        // A bare file name: the viewer prepends the resource folder.
        QVERIFY2(!fact.picture.isEmpty() && !fact.picture.contains(QLatin1Char('/')) &&
                     !fact.picture.contains(QLatin1Char(':')),
                 qPrintable(fact.picture));
        const QStringList tags = fact.tags.split(QLatin1Char('@'));
        QVERIFY(!tags.isEmpty());
        for (const QString &tag : tags)
            QVERIFY2(!tag.isEmpty() && !tag.contains(QLatin1Char(' ')), qPrintable(fact.tags));
        QVERIFY(!fact.factShort.isEmpty());
        checkLength(fact.factLong, lengths.at(i).first, lengths.at(i).second, fact.name);
    }
}

void TestSeedContent::quizAnswersMatchAnOption()
{
    QCOMPARE(quizQuestions().size(), 15);
    for (const QuizQuestion &q : quizQuestions()) {
        const QStringList options{q.option1, q.option2, q.option3, q.option4};
        QCOMPARE(options.count(q.answer), 1);
        for (const QString &option : options) {
            // Options are shown on buttons about 300 px wide.
            QVERIFY2(!option.isEmpty() && option.size() <= 30, qPrintable(option));
        }
    }
}

void TestSeedContent::quizQuestionsAndOptionsAreDistinct()
{
    // A question is stored only when no row has the same text.
    QSet<QString> questions;
    for (const QuizQuestion &q : quizQuestions()) {
        QVERIFY2(!questions.contains(q.question), qPrintable(q.question));
        questions.insert(q.question);
        const QSet<QString> options{q.option1, q.option2, q.option3, q.option4};
        QVERIFY2(options.size() == 4, qPrintable(q.question));
    }
}

void TestSeedContent::craftsHaveDistinctTitlesAndKnownCategories()
{
    // The title is the primary key and the menu lists crafts by category.
    const QSet<QString> categories{QStringLiteral("Glass"),     QStringLiteral("Paper"),
                                   QStringLiteral("Aluminium"), QStringLiteral("Plastic"),
                                   QStringLiteral("Clothes"),   QStringLiteral("Others")};
    QCOMPARE(crafts().size(), 12);
    QSet<QString> titles;
    QSet<QString> used;
    for (const Craft &craft : crafts()) {
        QVERIFY2(!titles.contains(craft.title), qPrintable(craft.title));
        titles.insert(craft.title);
        QVERIFY2(categories.contains(craft.category), qPrintable(craft.category));
        used.insert(craft.category);
    }
    QCOMPARE(used, categories);
}

void TestSeedContent::craftPicturesAndVideosAreWellFormed()
{
    const QString folder = QStringLiteral(":/darAror/images/DarArorResc/resc/");
    for (const Craft &craft : crafts()) {
        QVERIFY2(craft.url1.startsWith(folder) && craft.url1.size() > folder.size(),
                 qPrintable(craft.url1));
        QVERIFY2(craft.url2.isEmpty() ||
                     (craft.url2.startsWith(folder) && craft.url2 != craft.url1),
                 qPrintable(craft.url2));
        QVERIFY2(craft.videoUrl.isEmpty() || craft.videoUrl.startsWith(QLatin1String("https://")) ||
                     craft.videoUrl.startsWith(QLatin1String("file:///")),
                 qPrintable(craft.videoUrl));
    }
}

void TestSeedContent::craftTextLengths()
{
    for (const Craft &craft : crafts()) {
        checkLength(craft.description, 53, 160, craft.title + QStringLiteral(" description"));
        checkLength(craft.thingsNeeded, 57, 136, craft.title + QStringLiteral(" materials"));
        QVERIFY2(craft.thingsNeeded.count(QLatin1Char(',')) >= 2, qPrintable(craft.title));
        if (craft.title == QLatin1String("Recycled CD Card")) {
            // Its instructions are in the video.
            QCOMPARE(craft.instruction, QStringLiteral("-"));
            QVERIFY(!craft.videoUrl.isEmpty());
        } else {
            checkLength(craft.instruction, 238, 774, craft.title + QStringLiteral(" instruction"));
        }
    }
}

void TestSeedContent::textsAreValidUnicode()
{
    const QStringList texts = allTexts();
    QVERIFY(texts.size() > 100);
    for (const QString &text : texts) {
        checkText(text, "seed text");
        if (QTest::currentTestFailed())
            return;
    }
}

void TestSeedContent::typographicPunctuationIsStoredAsRealCharacters()
{
    // These four signs were once stored as C1 control characters; they must
    // come through as the real characters.
    const QString all = allTexts().join(QLatin1Char('\n'));
    for (const char16_t sign : {u'\u2013', u'\u2019', u'\u00b0', u'\u00b1'})
        QVERIFY2(all.contains(QChar(sign)),
                 qPrintable(QStringLiteral("U+%1 missing").arg(sign, 4, 16, QLatin1Char('0'))));

    bool degreeTip = false;
    for (const Tip &tip : waterTips())
        degreeTip = degreeTip || (tip.name == QLatin1String("WashingMachine") &&
                                  tip.text.contains(QStringLiteral("40\u00b0C")));
    QVERIFY(degreeTip);
}

void TestSeedContent::apostrophesArePartOfTheContent()
{
    // Values are bound when stored, so these rows are kept as written.
    const QList<Tip> toilet = [] {
        QList<Tip> rows;
        for (const Tip &tip : waterTips())
            if (tip.name == QLatin1String("Toilet"))
                rows << tip;
        return rows;
    }();
    QVERIFY(!toilet.isEmpty());
    QVERIFY(toilet.first().text.startsWith(
        QStringLiteral("Don't throw rubbish into the toilet bowl.")));

    const QuizQuestion &furniture = quizQuestions().at(10);
    QCOMPARE(furniture.option4, QStringLiteral("I don't care"));
    QCOMPARE(furniture.answer, QStringLiteral("Second-hand"));
}

void TestSeedContent::ourTextsUseOnePunctuationStyle()
{
    // Our own texts write the apostrophe as U+2019 and a dash as a spaced en
    // dash; only the texts quoted word for word keep a straight apostrophe.
    const QStringList quoted{QStringLiteral("Don't throw rubbish into the toilet bowl."),
                             QStringLiteral("I don't care")};
    for (QString text : allTexts()) {
        const QString shown = text;
        for (const QString &quote : quoted)
            text.remove(quote);
        QVERIFY2(!text.contains(QLatin1Char('\'')), qPrintable(shown));
        QVERIFY2(!text.contains(u'\u2014') && !text.contains(QLatin1String(" - ")) &&
                     !text.contains(QLatin1String("--")),
                 qPrintable(shown));
    }
}

QTEST_APPLESS_MAIN(TestSeedContent)
#include "tst_seedcontent.moc"
