#include "core/QuestText.h"

#include <QTest>

class tst_QuestText : public QObject {
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void restrictionText_data();
    void restrictionText();
};

void tst_QuestText::read_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("restricted");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("picCode");
    QTest::addColumn<QString>("rest");
    QTest::newRow("marker under a level band") << "07,貓\r\n"
                                               << false << ""
                                               << "07"
                                               << "貓\r\n";
    QTest::newRow("code, skipped char, marker") << "3,07,說明\r\n"
                                                << true << "採集系限定"
                                                << "07"
                                                << "說明\r\n";
    QTest::newRow("marker looked for after the code went") << "3,說明\r\n"
                                                           << true << "採集系限定"
                                                           << ""
                                                           << "說明\r\n";
    QTest::newRow("code 9 is an error") << "9,箱子\r\n"
                                        << true << "限制編碼錯誤"
                                        << ""
                                        << "箱子\r\n";
    QTest::newRow("code 0") << "0,x" << true << "礦工限定"
                            << ""
                            << "x";
    QTest::newRow("no comma third: shown whole") << "07a說明" << false << ""
                                                 << ""
                                                 << "07a說明";
    QTest::newRow("code digit read only under its band") << "3,07,x" << false << ""
                                                         << ""
                                                         << "3,07,x";
    QTest::newRow("non-digit keeps every character") << "甲乙,丙" << true << "限制編碼錯誤"
                                                     << "甲乙"
                                                     << "丙";
    QTest::newRow("full-width digit is no code") << "３,x" << true << "限制編碼錯誤"
                                                 << ""
                                                 << "３,x";
    QTest::newRow("empty text: no label, nothing removed") << "" << true << ""
                                                           << ""
                                                           << "";
    QTest::newRow("code alone") << "5" << true << "獵人及樵夫限定"
                                << ""
                                << "";
    QTest::newRow("code on its own line") << "9\r\n07,x" << true << "限制編碼錯誤"
                                          << ""
                                          << "\n07,x";
    QTest::newRow("two characters only") << "07" << false << ""
                                         << ""
                                         << "07";
}

void tst_QuestText::read() {
    QFETCH(QString, text);
    QFETCH(bool, restricted);
    QFETCH(QString, label);
    QFETCH(QString, picCode);
    QFETCH(QString, rest);
    const QuestText::Reading r = QuestText::read(text, restricted);
    QCOMPARE(r.restriction, label);
    QCOMPARE(r.picCode, picCode);
    QCOMPARE(r.rest, rest);
}

void tst_QuestText::restrictionText_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << "獵人限定";
    QTest::newRow("2") << 2 << "樵夫限定";
    QTest::newRow("4") << 4 << "生產採集系限定";
    QTest::newRow("6") << 6 << "戰鬥系限定";
    QTest::newRow("7") << 7 << "限制編碼錯誤";
    QTest::newRow("8") << 8 << "限制編碼錯誤";
}

void tst_QuestText::restrictionText() {
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(QuestText::restrictionText(code), text);
}

QTEST_APPLESS_MAIN(tst_QuestText)
#include "tst_questtext.moc"
