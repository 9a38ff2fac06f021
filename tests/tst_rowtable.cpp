#include "core/RowTable.h"

#include <QTest>

using namespace Qt::StringLiterals;

// A list's rows held back to back: splitting text fed in pieces, rows that span the blocks, rows of any
// characters, and the ranking that picks which rows to lay out.
class tst_RowTable : public QObject {
    Q_OBJECT
private slots:
    void split_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("trim");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("empty text: no rows") << QString() << false << QStringList();
        QTest::newRow("a line end after the last line adds none") << u"a\n"_s << false << QStringList{"a"};
        QTest::newRow("last line without an end") << u"a\nb"_s << false << QStringList{"a", "b"};
        QTest::newRow("CR LF, lone CR, lone LF")
            << u"a\r\nb\rc\nd"_s << false << QStringList{"a", "b", "c", "d"};
        QTest::newRow("CR then CR LF: an empty line") << u"a\r\r\n"_s << false << QStringList{"a", ""};
        QTest::newRow("LF CR: two line ends") << u"a\n\rb"_s << false << QStringList{"a", "", "b"};
        QTest::newRow("a CR alone at the end") << u"a\r"_s << false << QStringList{"a"};
        QTest::newRow("empty lines only") << u"\n\n\r\n"_s << false << QStringList{"", "", ""};
        QTest::newRow("untrimmed spaces stay") << u"  a \r\n"_s << false << QStringList{"  a "};
        QTest::newRow("trimmed: ASCII spaces only, tab and ideographic space stay")
            << u"  \ta\u3000  \r\n   \r\nb "_s << true << QStringList{u"\ta\u3000"_s, "", "b"};
    }
    // Fed whole or cut at any point (a CR LF cut in two included), the rows are the same.
    void split() {
        QFETCH(QString, text);
        QFETCH(bool, trim);
        QFETCH(QStringList, rows);
        for (qsizetype cut = 0; cut <= text.size(); ++cut) {
            RowSplitter splitter(trim, text.size());
            splitter.feed(QStringView(text).first(cut));
            splitter.feed(QStringView(text).sliced(cut));
            const RowTable table = splitter.finish();
            QCOMPARE(table.size(), rows.size());
            QCOMPARE(table.toList(), rows);
            for (qsizetype r = 0; r < rows.size(); ++r)
                QCOMPARE(table.at(r), QStringView(rows[r]));
        }
    }

    void manyBlocks_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("lineEnd");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("piece");
        QTest::newRow("short lines, CR LF") << u"行%1"_s << u"\r\n"_s << 1'200'000 << 20;
        QTest::newRow("empty lines, LF, pieces ending on CR") << QString() << u"\r"_s << 6'000'000 << 4095;
        QTest::newRow("lines longer than a piece")
            << u"%1"_s + QString(300'000, u'x') << u"\n"_s << 40 << 65536;
    }
    // Millions of rows over many blocks: every row where it belongs, whatever the pieces' size.
    void manyBlocks() {
        QFETCH(QString, line);
        QFETCH(QString, lineEnd);
        QFETCH(int, lines);
        QFETCH(int, piece);
        const auto rowText = [&](int i) { return line.contains(u"%1"_s) ? line.arg(i % 1000) : line; };
        QString text;
        for (int i = 0; i < lines; ++i)
            text += rowText(i) + lineEnd;
        RowSplitter splitter(false, text.size());
        for (qsizetype at = 0; at < text.size(); at += piece)
            splitter.feed(QStringView(text).sliced(at, qMin<qsizetype>(piece, text.size() - at)));
        const RowTable table = splitter.finish();
        QCOMPARE(table.size(), qsizetype(lines));
        QCOMPARE(table.chars(), text.size());
        for (int i : {0, 1, lines / 3, lines / 2 + 7, lines - 2, lines - 1})
            QCOMPARE(table.at(i).toString(), rowText(i));
        QCOMPARE(table.at(lines), QStringView());
        QCOMPARE(table.at(-1), QStringView());
        qsizetype seen = 0;
        bool inOrder = true;
        table.forEach([&](qsizetype r, QStringView row) {
            inOrder = inOrder && r == seen && row == rowText(int(r));
            ++seen;
        });
        QVERIFY(inOrder);
        QCOMPARE(seen, qsizetype(lines));
    }

    void appended_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("none") << QStringList();
        QTest::newRow("line ends inside and at the end stay")
            << QStringList{u"x\r"_s, u"\n"_s, u"a\r\nb"_s, QString(), u"\r\n"_s, u"  sp  "_s};
        QTest::newRow("file names with a backslash and outside the basic plane")
            << QStringList{u"a\\b.txt"_s, u"😀.bmp"_s};
    }
    // Items set from a list (file names can hold any character) come back as they went in.
    void appended() {
        QFETCH(QStringList, rows);
        const RowTable table = RowTable::fromList(rows);
        QCOMPARE(table.toList(), rows);
        for (qsizetype r = rows.size() - 1; r >= 0; --r)
            QCOMPARE(table.text(r), rows[r]);
        for (qsizetype r = 0; r < rows.size(); ++r)
            QCOMPARE(table.indexOf(rows[r]), rows.indexOf(rows[r]));
        QCOMPARE(table.indexOf(u"absent"_s), -1);
        RowTable moved = RowTable::fromList(rows);
        const RowTable taken = std::move(moved);
        QCOMPARE(taken.toList(), rows);
        QVERIFY(moved.isEmpty()); // NOLINT(bugprone-use-after-move): a moved-from table is empty
        QCOMPARE(moved.at(0), QStringView());
    }

    void indexOfFrom() {
        const RowTable table = RowTable::fromList({"a", "b", "a", "c"});
        QCOMPARE(table.indexOf(u"a"_s), 0);
        QCOMPARE(table.indexOf(u"a"_s, 1), 2);
        QCOMPARE(table.indexOf(u"a"_s, 3), -1);
    }

    void widest_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<qsizetype>>("widest");
        // ASCII 1 wide except W (3); CJK 2; anything else 1; rows count their first 6 characters.
        QTest::newRow("ASCII rows by length alone, CJK by width")
            << QStringList{"aaaa", "WW", u"中中中"_s, "b"} << 2 << QList<qsizetype>{0, 2};
        QTest::newRow("a long row counts what it shows")
            << QStringList{QString(50, u'a'), u"中中中中"_s, "aaaaa"} << 1 << QList<qsizetype>{1};
        QTest::newRow("mixed row: table widths")
            << QStringList{u"WWé"_s, "aaaaaa", u"中"_s} << 1 << QList<qsizetype>{0};
        QTest::newRow("fewer rows than asked") << QStringList{"a", "bb"} << 16 << QList<qsizetype>{0, 1};
        QTest::newRow("no rows") << QStringList() << 4 << QList<qsizetype>();
    }
    void widest() {
        QFETCH(QStringList, rows);
        QFETCH(int, count);
        QFETCH(QList<qsizetype>, widest);
        std::array<int, 128> ascii{};
        ascii.fill(1);
        ascii['W'] = 3;
        const WidthRank rank(ascii, 2, 1, 6);
        std::vector<qsizetype> fromTable = rank.widest(RowTable::fromList(rows), count);
        std::vector<qsizetype> fromList = rank.widest(rows, count);
        RowSplitter splitter(false);
        splitter.rankWith(rank, count);
        for (const QString& row : rows)
            splitter.feed(QString(row + u"\r\n"_s));
        const RowTable split = splitter.finish();
        std::vector<qsizetype> whileSplit = splitter.widest();
        std::sort(whileSplit.begin(), whileSplit.end());
        QCOMPARE(QList<qsizetype>(whileSplit.begin(), whileSplit.end()), widest);
        std::sort(fromTable.begin(), fromTable.end());
        std::sort(fromList.begin(), fromList.end());
        QCOMPARE(QList<qsizetype>(fromTable.begin(), fromTable.end()), widest);
        QCOMPARE(QList<qsizetype>(fromList.begin(), fromList.end()), widest);
    }
};

QTEST_APPLESS_MAIN(tst_RowTable)
#include "tst_rowtable.moc"
