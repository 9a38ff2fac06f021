#include "forms/Form2.h"
#include "forms/Form3.h"
#include "forms/Form4.h"
#include "forms/Form5.h"
#include "forms/Form6.h"
#include "forms/Form7.h"
#include "forms/Form8.h"
#include "forms/showpic.h"
#include "testsupport.h"
#include "widgets/FileList.h"
#include "widgets/ImageBox.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QTest>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

namespace {

QRadioButton* option(Form5* form, int n) {
    return QList<QRadioButton*>{form->Option1, form->Option2, form->Option3, form->Option4,
                                form->Option5}[n - 1];
}

struct ListWindow {
    FormBase* form;
    TextBox* text;
    ListBox* list;
};

ListWindow openList(int window) {
    if (window == 3) {
        auto* f = FormBase::open<Form3>();
        return {f, f->Text1, f->List1};
    }
    auto* f = FormBase::open<Form7>();
    return {f, f->Text1, f->List1};
}

QString listFile(int window) {
    return window == 3 ? QStringLiteral("合成表.txt") : QStringLiteral("料理藥品.txt");
}

QString missing(const QString& name) {
    return QStringLiteral("找不到檔案\"") + name + QStringLiteral("\",或檔案無內容");
}

void reopen(FormBase* form) {
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

// The reference windows: coordinates, synthesis, cooking, professions, skills, usage notes, quests.
class tst_Reference : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    // One region at a time; the detail keeps its entry until an entry of the new list is picked.
    void coordinates() {
        ProgramFolder folder;
        folder.writeCp950(QStringLiteral("芙蕾雅島.txt"), QStringLiteral("  港口 (1,2)  \r\n\r\n廣場\r\n"));
        folder.writeCp950(QStringLiteral("芙蕾雅島－伊爾村.txt"), QStringLiteral("  村長家  \r\n"));
        MessageRecorder messages;
        auto* form = FormBase::open<Form2>();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QCOMPARE(form->List1->items(), (QStringList{"  港口 (1,2)  ", "", "廣場"}));
        form->List1->setFocus();
        QTest::qWait(10); // focus alone makes no row current once the view has settled
        TestSupport::press(Qt::Key_Down);
        QCOMPARE(form->Text1->text(), QStringLiteral("  港口 (1,2)  "));
        TestSupport::press(Qt::Key_Down);
        QCOMPARE(form->Text1->text(), QString());
        form->List1->setListIndex(2);

        QTest::mouseClick(form->Command3, Qt::LeftButton);
        QCOMPARE(form->List1->items(), QStringList{"村長家"});
        QCOMPARE(form->Text1->text(), QStringLiteral("廣場"));
        form->Text1->setFocus();
        TestSupport::press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form->List1);
        QTest::qWait(10);
        QCOMPARE(form->Text1->text(), QStringLiteral("廣場"));
        QVERIFY(!form->List1->currentIndex().isValid());
        TestSupport::press(Qt::Key_Down);
        QCOMPARE(form->Text1->text(), QStringLiteral("村長家"));

        QTest::mouseClick(form->Command2, Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList{missing(QStringLiteral("聖拉_卡村.txt"))});
        QCOMPARE(form->List1->listCount(), 0);
        QCOMPARE(form->Text1->text(), QStringLiteral("村長家"));
    }

    void listWindows_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<bool>("trimmed");
        QTest::newRow("synthesis") << 3 << false;
        QTest::newRow("cooking") << 7 << true;
    }

    void listWindows() {
        QFETCH(int, window);
        QFETCH(bool, trimmed);
        ProgramFolder folder;
        // Missing at first: the message comes while the window loads, before it is shown.
        QStringList texts;
        bool shownAtMessage = true;
        Module1::setMessageHandler([&](const Module1::MsgRequest& request) {
            texts.append(request.text);
            shownAtMessage = request.parent->isVisible();
            return Module1::MsgResult::Ok;
        });
        ListWindow w = openList(window);
        Module1::setMessageHandler({});
        QCOMPARE(texts, QStringList{missing(listFile(window))});
        QVERIFY(!shownAtMessage);
        QCOMPARE(w.list->listCount(), 0);
        reopen(w.form);

        folder.writeCp950(listFile(window), QStringLiteral("  縮排  \r\n\r\n短劍\r\n"));
        w = openList(window);
        const QStringList items =
            trimmed ? QStringList{"縮排", "", "短劍"} : QStringList{"  縮排  ", "", "短劍"};
        QCOMPARE(w.list->items(), items);
        // The list and the detail box follow the window; too low, the list keeps its last height.
        const QSize list = w.list->size(), text = w.text->size();
        w.form->resize(w.form->size() + QSize(50, 40));
        QCOMPARE(w.list->size(), list + QSize(50, 40));
        QCOMPARE(w.text->width(), text.width() + 50);
        w.form->resize(w.form->width(), 30);
        QCOMPARE(w.list->size(), list + QSize(50, 40));
    }

    void longLinesStayWhole_data() { listWindows_data(); }

    // A line longer than a row shows is picked whole; longer than a text block, it is still copied whole.
    void longLinesStayWhole() {
        QFETCH(int, window);
        const QString longLine = QStringLiteral("長行") + QString(300, u'料');
        const QString hugeLine = QStringLiteral("巨") + QString(2 * TextBox::kBlockChars + 5, u'x') + u'尾';
        ProgramFolder folder;
        folder.writeCp950(listFile(window),
                          longLine + QStringLiteral("\r\n") + hugeLine + QStringLiteral("\r\n短"));
        const ListWindow w = openList(window);
        QVERIFY(QTest::qWaitForWindowActive(w.form));
        // A short last line does not narrow the rows: the list scrolls to the end of the widest.
        const QString widest = w.list->model()->index(1, 0).data().toString();
        QVERIFY(w.list->horizontalScrollBar()->maximum() + w.list->viewport()->width() >=
                w.list->fontMetrics().horizontalAdvance(widest));
        const QRect first = w.list->visualRect(w.list->model()->index(0, 0));
        QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(w.text->text(), longLine);
        QCOMPARE(w.text->document()->lineCount(), 1); // scrolls sideways, no wrapping
        QVERIFY(w.text->horizontalScrollBar()->maximum() > 0);
        w.list->setFocus();
        TestSupport::press(Qt::Key_Down);
        QCOMPARE(w.text->text(), hugeLine);
        w.text->setFocus();
        TestSupport::press(Qt::ControlModifier | Qt::Key_A);
        TestSupport::press(Qt::ControlModifier | Qt::Key_C);
        QCOMPARE(QGuiApplication::clipboard()->text(), hugeLine);
    }

    // Which file each button reads is checked on the shipped data; here what a click does with it.
    void professions() {
        ProgramFolder folder;
        folder.writeCp950(QStringLiteral("職業\\劍士.txt"), QStringLiteral("劍士\r\n  縮排"));
        folder.writeCp950(QStringLiteral("職業\\格鬥士.txt"), QStringLiteral("格鬥士"));
        MessageRecorder messages;
        auto* form = FormBase::open<Form4>();
        QTest::mouseClick(form->Command[1], Qt::LeftButton);
        QCOMPARE(form->Text1->text(), QStringLiteral("劍士\r\n  縮排\r\n"));
        QTest::mouseClick(form->Command[4], Qt::LeftButton); // greyed
        QCOMPARE(form->Text1->text(), QStringLiteral("劍士\r\n  縮排\r\n"));
        QVERIFY(messages.messages.isEmpty());
        // A missing file empties the pane and names the relative file; reopening starts empty.
        QTest::mouseClick(form->Command[18], Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList{missing(QStringLiteral("職業\\醫師.txt"))});
        QCOMPARE(form->Text1->text(), QString());
        QTest::mouseClick(form->Command[1], Qt::LeftButton);
        reopen(form);
        QCOMPARE(FormBase::open<Form4>()->Text1->text(), QString());
    }

    void skills() {
        const int index = 2;
        const QString file = QStringLiteral("技能\\制作技能.txt");
        ProgramFolder folder;
        MessageRecorder messages;
        auto* form = FormBase::open<Form8>();
        QTest::mouseClick(form->Command1[index], Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList{missing(file)});
        folder.writeCp950(file, QStringLiteral("  火球術  \r\n\r\n    說明"));
        QTest::mouseClick(form->Command1[index], Qt::LeftButton);
        QCOMPARE(form->Text1->text(), QStringLiteral("火球術\r\n\r\n說明\r\n"));
        // The file is named after the caption, whatever it says.
        folder.writeCp950(QStringLiteral("技能\\寵物技能.txt"), QStringLiteral("撲咬"));
        form->Command1[index]->setText(QStringLiteral("寵物技能"));
        QTest::mouseClick(form->Command1[index], Qt::LeftButton);
        QCOMPARE(form->Text1->text(), QStringLiteral("撲咬\r\n"));
        QCOMPARE(messages.messages.size(), 1);
    }

    // Built-in text: links are placeholders, and what the player typed is gone on the next opening.
    void usageNotes() {
        auto* form = FormBase::open<Form6>();
        QVERIFY(QTest::qWaitForWindowActive(form));
        const QString text = form->Text1->text();
        for (const QString& line : text.split(QStringLiteral("\r\n")))
            QVERIFY2(!line.contains(QStringLiteral("://")) || line.contains(QStringLiteral("example.org")),
                     qPrintable(line));
        form->Text1->setFocus();
        TestSupport::type(QStringLiteral("abc"));
        QVERIFY(form->Text1->text() != text);
        reopen(form);
        QCOMPARE(FormBase::open<Form6>()->Text1->text(), text);
    }

    void shippedData() {
        Module1::setProgramFolder(qEnvironmentVariable("QMQUERY_SOURCE_DIR") + QStringLiteral("/data"));
        MessageRecorder messages;
        // Each button reads a file of its own: no message, and no two show the same text.
        QSet<QString> shown;
        int clicks = 0;
        auto* professions = FormBase::open<Form4>();
        for (QPushButton* button : professions->Command) {
            if (button && button->isEnabled()) {
                QTest::mouseClick(button, Qt::LeftButton);
                QVERIFY2(professions->Text1->text().size() > 20, qPrintable(button->text()));
                shown.insert(professions->Text1->text());
                ++clicks;
            }
        }
        auto* skills = FormBase::open<Form8>();
        for (QPushButton* button : skills->Command1) {
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY2(skills->Text1->text().count(QStringLiteral("\r\n")) > 10, qPrintable(button->text()));
            shown.insert(skills->Text1->text());
            ++clicks;
        }
        QCOMPARE(shown.size(), clicks);
        // And no file goes unread: a button greyed by mistake would leave one.
        const auto files = [](const QString& folder) {
            return int(
                QDir(Module1::programFolder() + u'/' + folder).entryList({"*.txt"}, QDir::Files).size());
        };
        QCOMPARE(clicks, files(QStringLiteral("職業")) + files(QStringLiteral("技能")));
        QVERIFY(FormBase::open<Form3>()->List1->listCount() >= 60);
        QVERIFY(FormBase::open<Form7>()->List1->listCount() >= 60);
        QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.texts().join(u'\n')));
        Module1::setProgramFolder({});
    }

    void bands() {
        ProgramFolder folder;
        auto* form = FormBase::open<Form5>();
        // The window opens on the first band, its last button a disabled placeholder.
        QVERIFY(form->Option1->isChecked());
        QVERIFY(form->Command2->isHidden());
        // Each band shows its own quests, filled from the first; the rest are greyed placeholders.
        QSet<QString> firsts;
        for (int n = 1; n <= 5; ++n) {
            QTest::mouseClick(option(form, n), Qt::LeftButton);
            firsts.insert(form->Command1[0]->text());
            QVERIFY(form->Command1[0]->isEnabled());
            for (int i = 1; i < Form5::kQuestButtons; ++i) {
                const bool filled = form->Command1[i]->text() != QStringLiteral("未有資料");
                QCOMPARE(form->Command1[i]->isEnabled(), filled);
                QVERIFY(filled <= form->Command1[i - 1]->isEnabled());
            }
        }
        QCOMPARE(firsts.size(), 5);
    }

    void showsQuest_data() {
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("pane"); // empty: the file is missing
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("piccode");
        const auto row = [](const char* name, int band, const char* content, const char* pane,
                            const char* label, const char* piccode) {
            QTest::newRow(name) << band << QString::fromUtf8(content) << QString::fromUtf8(pane)
                                << QString::fromUtf8(label) << QString::fromUtf8(piccode);
        };
        row("marker", 1, "07,說明", "說明\r\n", "", "07");
        row("no comma third: shown whole", 1, "07a說明", "07a說明\r\n", "", "");
        row("code, then marker", 5, "3,07,說明", "說明\r\n", "採集系限定", "07");
        row("no code at all", 5, "說明", "說明\r\n", "限制編碼錯誤", "");
        row("no trimming", 2, "  a  \r\nb", "  a  \r\nb\r\n", "", "");
        row("missing, level band", 1, "", "", "", "");
        row("missing, 其他限制", 5, "", "", "", "");
    }

    void showsQuest() {
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
        QCOMPARE(form->piccode, piccode);
        QCOMPARE(form->Command2->isVisible(), !piccode.isEmpty());
    }

    void whatAQuestClearsAndABandKeeps() {
        ProgramFolder folder;
        folder.writeCp950(QStringLiteral("礦工用安全帽.txt"), QStringLiteral("0,30,帽子"));
        folder.writeCp950(QStringLiteral("咖哩屋任務.txt"), QStringLiteral("咖哩"));
        auto* form = FormBase::open<Form5>();
        QTest::mouseClick(form->Option5, Qt::LeftButton);
        QTest::mouseClick(form->Command1[0], Qt::LeftButton);
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
    }

    void relatedPictures_data() {
        QTest::addColumn<bool>("folderThere");
        QTest::newRow("pictures of the quest listed") << true;
        QTest::newRow("no pictures folder: both windows usable") << false;
    }

    void relatedPictures() {
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
                QVERIFY(
                    picture.save(folder.path() + QStringLiteral("/相關圖片/") + QLatin1String(name), "BMP"));
        }
        MessageRecorder messages;
        auto* form = FormBase::open<Form5>();
        QTest::mouseClick(form->Command1[6], Qt::LeftButton);
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        auto* viewer = FormBase::existing<showpic>();
        QVERIFY(viewer && viewer->isVisible());
        const QStringList listed =
            folderThere ? QStringList{"07a.bmp", "07b.GIF", "07c.jpg", "07e.bmp"} : QStringList();
        QCOMPARE(viewer->File1->items(), listed);
        QCOMPARE(viewer->File1->isVisible(), folderThere);
        QVERIFY(!viewer->isMaximized());
        QTest::qWait(200); // past the start-up picture's timer, which copies the empty picture
        QVERIFY(viewer->Image1->picture().isNull());
        QVERIFY(messages.messages.isEmpty());
        QTest::mouseClick(form->Command1[0], Qt::LeftButton);
        QVERIFY(form->isVisible());
    }
};

QTEST_MAIN(tst_Reference)
#include "tst_reference.moc"
