#include "forms/Form5.h"
#include "forms/showpic.h"
#include "testsupport.h"
#include "widgets/DirList.h"
#include "widgets/DriveList.h"
#include "widgets/FileList.h"
#include "widgets/ImageBox.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

class tst_Form5 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void opensOnFirstBand();
    void bands_data();
    void bands();
    void showsQuest_data();
    void showsQuest();
    void nextQuestClearsLabelAndButton();
    void bandSwitchKeepsQuest();
    void missingQuestFile_data();
    void missingQuestFile();
    void resizeStretchesPaneAndRefusesNegative();
    void relatedPicturesOpenViewerInListMode();
    void missingPictureFolderLeavesBothUsable();
};

void tst_Form5::opensOnFirstBand() {
    ProgramFolder folder;
    auto* form = FormBase::open<Form5>();
    QVERIFY(form->Option1->isChecked());
    QCOMPARE(form->Command1[0]->text(), QStringLiteral("國民任務"));
    QCOMPARE(form->Command1[12]->text(), QStringLiteral("霞之洞窟"));
    QCOMPARE(form->Command1[13]->text(), QStringLiteral("未有資料"));
    QVERIFY(!form->Command1[13]->isEnabled());
    QVERIFY(form->Command2->isHidden());
    QCOMPARE(form->Text1->text(), QString());
    QCOMPARE(form->Label1->text(), QString());
    QCOMPARE(form->windowTitle(), QStringLiteral("任务详解"));
}

void tst_Form5::bands_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QStringList>("quests");
    QTest::newRow("LV10up") << 2 << QStringList{"畢安札的送禮任務"};
    QTest::newRow("LV15up") << 3 << QStringList{"法蘭城旅館任務"};
    QTest::newRow("LV20up") << 4 << QStringList{"尋找雷茲", "長老樹精任務", "捉迷藏的鐵人",
                                                "誘拐任務", "流星山丘",     "沒落的村莊"};
    QTest::newRow("其他限制") << 5
                              << QStringList{"礦工用安全帽", "咖哩屋任務", "生產系二階任務", "搬運箱任務",
                                             "火炎仙人掌"};
}

void tst_Form5::bands() {
    QFETCH(int, option);
    QFETCH(QStringList, quests);
    ProgramFolder folder;
    auto* form = FormBase::open<Form5>();
    QRadioButton* options[] = {nullptr,       form->Option1, form->Option2,
                               form->Option3, form->Option4, form->Option5};
    QTest::mouseClick(options[option], Qt::LeftButton);
    for (int i = 0; i < Form5::kQuestButtons; ++i) {
        const bool filled = i < quests.size();
        QCOMPARE(form->Command1[i]->text(), filled ? quests[i] : QStringLiteral("未有資料"));
        QCOMPARE(form->Command1[i]->isEnabled(), filled);
    }
}

void tst_Form5::showsQuest_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("piccode");
    QTest::newRow("marker") << 1 << "國民任務"
                            << "07,說明"
                            << "說明\r\n"
                            << ""
                            << "07";
    QTest::newRow("no marker") << 1 << "國民任務"
                               << "07a說明"
                               << "07a說明\r\n"
                               << ""
                               << "";
    QTest::newRow("code and marker") << 5 << "礦工用安全帽"
                                     << "3,07,說明"
                                     << "說明\r\n"
                                     << "採集系限定"
                                     << "07";
    QTest::newRow("code 9") << 5 << "礦工用安全帽"
                            << "9,說明"
                            << "說明\r\n"
                            << "限制編碼錯誤"
                            << "";
    QTest::newRow("no code at all") << 5 << "礦工用安全帽"
                                    << "說明"
                                    << "說明\r\n"
                                    << "限制編碼錯誤"
                                    << "";
    QTest::newRow("no trimming") << 2 << "畢安札的送禮任務"
                                 << "  a  \r\nb"
                                 << "  a  \r\nb\r\n"
                                 << ""
                                 << "";
}

void tst_Form5::showsQuest() {
    QFETCH(int, option);
    QFETCH(QString, file);
    QFETCH(QString, content);
    QFETCH(QString, pane);
    QFETCH(QString, label);
    QFETCH(QString, piccode);
    ProgramFolder folder;
    folder.writeCp950(file + QStringLiteral(".txt"), content);
    MessageRecorder messages;
    auto* form = FormBase::open<Form5>();
    QRadioButton* options[] = {nullptr,       form->Option1, form->Option2,
                               form->Option3, form->Option4, form->Option5};
    QTest::mouseClick(options[option], Qt::LeftButton);
    QTest::mouseClick(form->Command1[0], Qt::LeftButton);
    QCOMPARE(form->Text1->text(), pane);
    QCOMPARE(form->Label1->text(), label);
    QCOMPARE(form->piccode, piccode);
    QCOMPARE(form->Command2->isVisible(), !piccode.isEmpty());
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form5::nextQuestClearsLabelAndButton() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("礦工用安全帽.txt"), QStringLiteral("0,30,帽子"));
    folder.writeCp950(QStringLiteral("咖哩屋任務.txt"), QStringLiteral("咖哩"));
    auto* form = FormBase::open<Form5>();
    QTest::mouseClick(form->Option5, Qt::LeftButton);
    QTest::mouseClick(form->Command1[0], Qt::LeftButton);
    QVERIFY(form->Command2->isVisible());
    QCOMPARE(form->Label1->text(), QStringLiteral("礦工限定"));
    QTest::mouseClick(form->Option1, Qt::LeftButton);
    // The band switch leaves the quest shown last alone; the next quest clears first.
    QCOMPARE(form->Label1->text(), QStringLiteral("礦工限定"));
    QVERIFY(form->Command2->isVisible());
    QTest::mouseClick(form->Option5, Qt::LeftButton);
    QTest::mouseClick(form->Command1[1], Qt::LeftButton);
    QVERIFY(!form->Command2->isVisible());
    QCOMPARE(form->Label1->text(), QStringLiteral("限制編碼錯誤"));
    QCOMPARE(form->piccode, QStringLiteral("30"));
}

void tst_Form5::bandSwitchKeepsQuest() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("國民任務.txt"), QStringLiteral("01,登記"));
    auto* form = FormBase::open<Form5>();
    QTest::mouseClick(form->Command1[0], Qt::LeftButton);
    QTest::mouseClick(form->Option4, Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("登記\r\n"));
    QVERIFY(form->Command2->isVisible());
    QCOMPARE(form->Command1[0]->text(), QStringLiteral("尋找雷茲"));
}

void tst_Form5::missingQuestFile_data() {
    QTest::addColumn<int>("option");
    QTest::newRow("level band") << 1;
    QTest::newRow("其他限制") << 5;
}

void tst_Form5::missingQuestFile() {
    QFETCH(int, option);
    ProgramFolder folder;
    MessageRecorder messages;
    auto* form = FormBase::open<Form5>();
    form->piccode = QStringLiteral("12");
    if (option == 5)
        QTest::mouseClick(form->Option5, Qt::LeftButton);
    QTest::mouseClick(form->Command1[0], Qt::LeftButton);
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(messages.texts().first().startsWith(QStringLiteral("找不到檔案\"")));
    QCOMPARE(form->Text1->text(), QString());
    QCOMPARE(form->Label1->text(), QString());
    QVERIFY(!form->Command2->isVisible());
    QCOMPARE(form->piccode, QStringLiteral("12"));
}

// Sizes go through whole pixels, so a twips value is exact to within one pixel.
#define QCOMPARE_TW(actual, expected)                                                                        \
    QVERIFY2(qAbs((actual) - (expected)) < 15, qPrintable(QString::number(actual)))

void tst_Form5::resizeStretchesPaneAndRefusesNegative() {
    ProgramFolder folder;
    auto* form = FormBase::open<Form5>();
    QCOMPARE_TW(Twips::width(form->Text1), 4950 - 2040 - 30);
    QCOMPARE_TW(Twips::height(form->Text1), 4140 - 600 - 30);
    form->resize(Twips::px(6000), Twips::px(5000));
    QCOMPARE_TW(Twips::width(form->Text1), 6000 - 2040 - 30);
    QCOMPARE_TW(Twips::height(form->Text1), 5000 - 600 - 30);
    form->resize(Twips::px(1500), Twips::px(450));
    QCOMPARE_TW(Twips::width(form->Text1), 6000 - 2040 - 30);
    QCOMPARE_TW(Twips::height(form->Text1), 5000 - 600 - 30);
    form->resize(Twips::px(2500), Twips::px(450));
    QCOMPARE_TW(Twips::width(form->Text1), 2500 - 2040 - 30);
    QCOMPARE_TW(Twips::height(form->Text1), 5000 - 600 - 30);
}

void tst_Form5::relatedPicturesOpenViewerInListMode() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("貓之鈴任務.txt"), QStringLiteral("07,鈴鐺"));
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    folder.write(QStringLiteral("相關圖片/07e.bmp"), QByteArray());
    for (const char* name : {"07a.bmp", "07b.GIF", "07c.jpg", "07d.png", "12a.bmp", "x07.bmp"})
        QVERIFY(picture.save(folder.path() + QStringLiteral("/相關圖片/") + QLatin1String(name), "BMP"));
    auto* form = FormBase::open<Form5>();
    QTest::mouseClick(form->Command1[6], Qt::LeftButton);
    QVERIFY(form->Command2->isVisible());
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    auto* viewer = FormBase::existing<showpic>();
    QVERIFY(viewer && viewer->isVisible());
    QCOMPARE(viewer->File1->pattern(), QStringLiteral("07*.bmp;07*.gif;07*.jpg"));
    QCOMPARE(viewer->File1->items(), (QStringList{"07a.bmp", "07b.GIF", "07c.jpg", "07e.bmp"}));
    for (QWidget* hidden : {static_cast<QWidget*>(viewer->Drive1), static_cast<QWidget*>(viewer->Dir1),
                            static_cast<QWidget*>(viewer->Command1), static_cast<QWidget*>(viewer->Command3),
                            static_cast<QWidget*>(viewer->Command4), static_cast<QWidget*>(viewer->Command5),
                            static_cast<QWidget*>(viewer->Combo1), static_cast<QWidget*>(viewer->Combo2),
                            static_cast<QWidget*>(viewer->Combo3)})
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
    QVERIFY(viewer->Command2->isVisible());
    QVERIFY(viewer->File1->isVisible());
    QCOMPARE_TW(Twips::top(viewer->File1), Twips::height(viewer->Command2) + 10);
    QVERIFY(!viewer->isMaximized());
    QVERIFY(viewer->Image1->picture().isNull());
}

void tst_Form5::missingPictureFolderLeavesBothUsable() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("貓之鈴任務.txt"), QStringLiteral("07,鈴鐺"));
    // Pictures beside the program that match the pattern must not show up instead.
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.save(folder.path() + QStringLiteral("/07a.bmp"));
    MessageRecorder messages;
    auto* form = FormBase::open<Form5>();
    QTest::mouseClick(form->Command1[6], Qt::LeftButton);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    auto* viewer = FormBase::existing<showpic>();
    QVERIFY(viewer && viewer->isVisible());
    QCOMPARE(viewer->File1->listCount(), 0);
    QVERIFY(viewer->File1->isHidden());
    QVERIFY(viewer->Label1->isVisible());
    QVERIFY(messages.messages.isEmpty());
    QTest::mouseClick(form->Command1[0], Qt::LeftButton);
    QVERIFY(form->isVisible());
}

QTEST_MAIN(tst_Form5)
#include "tst_form5.moc"
