#include "forms/Form5.h"
#include "forms/showpic.h"
#include "testsupport.h"
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

// The quest guide: bands of quests, a quest's text with its restriction code and picture marker, and
// its related pictures in the viewer.
class tst_Form5 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void bands();
    void showsQuest_data();
    void showsQuest();
    void whatAQuestClearsAndABandKeeps();
    void relatedPictures_data();
    void relatedPictures();
};

namespace {
QRadioButton* option(Form5* form, int n) {
    return QList<QRadioButton*>{form->Option1, form->Option2, form->Option3, form->Option4,
                                form->Option5}[n - 1];
}
} // namespace

void tst_Form5::bands() {
    ProgramFolder folder;
    auto* form = FormBase::open<Form5>();
    // The window opens on the first band, its last button a disabled placeholder.
    QVERIFY(form->Option1->isChecked());
    QVERIFY(form->Command2->isHidden());
    const int quests[] = {13, 1, 1, 6, 5};
    for (int n = 1; n <= 5; ++n) {
        QTest::mouseClick(option(form, n), Qt::LeftButton);
        for (int i = 0; i < Form5::kQuestButtons; ++i) {
            const bool filled = i < quests[n - 1];
            QCOMPARE(form->Command1[i]->isEnabled(), filled);
            QCOMPARE(form->Command1[i]->text() == QStringLiteral("未有資料"), !filled);
        }
    }
    QCOMPARE(form->Command1[4]->text(), QStringLiteral("火炎仙人掌"));
}

void tst_Form5::showsQuest_data() {
    QTest::addColumn<int>("band");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("pane"); // empty: the file is missing
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("piccode");
    const auto row = [](const char* name, int band, const char* content, const char* pane, const char* label,
                        const char* piccode) {
        QTest::newRow(name) << band << QString::fromUtf8(content) << QString::fromUtf8(pane)
                            << QString::fromUtf8(label) << QString::fromUtf8(piccode);
    };
    row("marker", 1, "07,說明", "說明\r\n", "", "07");
    row("no comma third: shown whole", 1, "07a說明", "07a說明\r\n", "", "");
    row("code, then marker", 5, "3,07,說明", "說明\r\n", "採集系限定", "07");
    row("code 0", 5, "0,說明", "說明\r\n", "礦工限定", "");
    row("code 9", 5, "9,說明", "說明\r\n", "限制編碼錯誤", "");
    row("no code at all", 5, "說明", "說明\r\n", "限制編碼錯誤", "");
    row("no trimming", 2, "  a  \r\nb", "  a  \r\nb\r\n", "", "");
    row("missing, level band", 1, "", "", "", "");
    row("missing, 其他限制", 5, "", "", "", "");
}

void tst_Form5::showsQuest() {
    QFETCH(int, band);
    QFETCH(QString, content);
    QFETCH(QString, pane);
    QFETCH(QString, label);
    QFETCH(QString, piccode);
    ProgramFolder folder;
    MessageRecorder messages;
    auto* form = FormBase::open<Form5>();
    QTest::mouseClick(option(form, band), Qt::LeftButton);
    const QString file = form->Command1[0]->text() + QStringLiteral(".txt");
    if (!content.isEmpty())
        folder.writeCp950(file, content);
    QTest::mouseClick(form->Command1[0], Qt::LeftButton);
    const QString missing = QStringLiteral("找不到檔案\"") + file + QStringLiteral("\",或檔案無內容");
    QCOMPARE(messages.texts(), content.isEmpty() ? QStringList{missing} : QStringList());
    QCOMPARE(form->Text1->text(), pane);
    QCOMPARE(form->Label1->text(), label);
    QCOMPARE(form->Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(form->piccode, piccode);
    QCOMPARE(form->Command2->isVisible(), !piccode.isEmpty());
}

void tst_Form5::whatAQuestClearsAndABandKeeps() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("礦工用安全帽.txt"), QStringLiteral("0,30,帽子"));
    folder.writeCp950(QStringLiteral("咖哩屋任務.txt"), QStringLiteral("咖哩"));
    auto* form = FormBase::open<Form5>();
    QTest::mouseClick(form->Option5, Qt::LeftButton);
    QTest::mouseClick(form->Command1[0], Qt::LeftButton);
    // A band switch leaves the quest shown last alone.
    QTest::mouseClick(form->Option1, Qt::LeftButton);
    QCOMPARE(form->Label1->text(), QStringLiteral("礦工限定"));
    QCOMPARE(form->Text1->text(), QStringLiteral("帽子\r\n"));
    QVERIFY(form->Command2->isVisible());
    // The next quest clears the label and the button first; the picture code stays.
    QTest::mouseClick(form->Option5, Qt::LeftButton);
    QTest::mouseClick(form->Command1[1], Qt::LeftButton);
    QVERIFY(!form->Command2->isVisible());
    QCOMPARE(form->Label1->text(), QStringLiteral("限制編碼錯誤"));
    QCOMPARE(form->piccode, QStringLiteral("30"));
    // The pane stretches with the window and keeps its last size when that would be negative.
    form->resize(Twips::px(6000), Twips::px(5000));
    QVERIFY(qAbs(Twips::width(form->Text1) - (6000 - 2040 - 30)) < 15);
    QVERIFY(qAbs(Twips::height(form->Text1) - (5000 - 600 - 30)) < 15);
    form->resize(Twips::px(2500), Twips::px(450));
    QVERIFY(qAbs(Twips::width(form->Text1) - (2500 - 2040 - 30)) < 15);
    QVERIFY(qAbs(Twips::height(form->Text1) - (5000 - 600 - 30)) < 15);
}

void tst_Form5::relatedPictures_data() {
    QTest::addColumn<bool>("folderThere");
    QTest::newRow("pictures of the quest listed") << true;
    QTest::newRow("no pictures folder: both windows usable") << false;
}

void tst_Form5::relatedPictures() {
    QFETCH(bool, folderThere);
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("貓之鈴任務.txt"), QStringLiteral("07,鈴鐺"));
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    // Pictures beside the program match the pattern too, and must not show up instead.
    QVERIFY(picture.save(folder.path() + QStringLiteral("/07z.bmp"), "BMP"));
    if (folderThere) {
        folder.write(QStringLiteral("相關圖片/07e.bmp"), QByteArray());
        for (const char* name : {"07a.bmp", "07b.GIF", "07c.jpg", "07d.png", "12a.bmp", "x07.bmp"})
            QVERIFY(picture.save(folder.path() + QStringLiteral("/相關圖片/") + QLatin1String(name), "BMP"));
    }
    MessageRecorder messages;
    auto* form = FormBase::open<Form5>();
    QTest::mouseClick(form->Command1[6], Qt::LeftButton);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    auto* viewer = FormBase::existing<showpic>();
    QVERIFY(viewer && viewer->isVisible());
    QCOMPARE(viewer->File1->pattern(), QStringLiteral("07*.bmp;07*.gif;07*.jpg"));
    const QStringList listed =
        folderThere ? QStringList{"07a.bmp", "07b.GIF", "07c.jpg", "07e.bmp"} : QStringList();
    QCOMPARE(viewer->File1->items(), listed);
    QCOMPARE(viewer->File1->isVisible(), folderThere);
    // Only the help button and the file list stay in the left column, the list right under the button.
    for (QWidget* w : viewer->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QPushButton*>(w) || qobject_cast<QComboBox*>(w))
            QCOMPARE(w->isVisible(), w == viewer->Command2);
    }
    QVERIFY(qAbs(Twips::top(viewer->File1) - (Twips::height(viewer->Command2) + 10)) < 15);
    QVERIFY(!viewer->isMaximized());
    QTest::qWait(200); // past the start-up picture's timer, which copies the empty picture
    QVERIFY(viewer->Image1->picture().isNull());
    QVERIFY(messages.messages.isEmpty());
    QTest::mouseClick(form->Command1[0], Qt::LeftButton);
    QVERIFY(form->isVisible());
}

QTEST_MAIN(tst_Form5)
#include "tst_form5.moc"
