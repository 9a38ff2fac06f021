#include "forms/SearchTargets.h"

#include "core/ArticleList.h"
#include "core/DataText.h"
#include "core/FileNames.h"
#include "core/Find.h"
#include "forms/Form10.h"
#include "forms/Form2.h"
#include "forms/Form3.h"
#include "forms/Form4.h"
#include "forms/Form5.h"
#include "forms/Form7.h"
#include "forms/Form8.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QHash>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>

namespace SearchTargets {

namespace {

// The windows' captions as their title bars read.
const QString kSep = QStringLiteral(" › ");

QString where(const char16_t* window, const QString& place = {}) {
    const QString caption = QString::fromUtf16(window);
    return place.isEmpty() ? caption : caption + kSep + place;
}

void pickLine(ListBox* list, int line) {
    if (line >= 0 && line < list->listCount()) {
        // The window's own pick handler shows the line in the detail box.
        list->setListIndex(line);
        list->scrollTo(list->model()->index(line, 0), QAbstractItemView::PositionAtCenter);
    }
    list->setFocus(Qt::OtherFocusReason);
}

void selectInPane(TextBox* box, int line, const QString& matched) {
    const int start = box->lineStart(line);
    if (start >= 0) {
        QTextCursor hit;
        if (!matched.isEmpty())
            hit = box->find(QRegularExpression(Find::pattern(matched)), start, true, matched.size());
        const int next = box->lineStart(line + 1);
        // Not in that line (the window shows the line otherwise than the file has it): the line's start.
        if (hit.isNull() || (next >= 0 && hit.selectionStart() >= next)) {
            hit = QTextCursor(box->document());
            hit.setPosition(start);
        }
        box->setTextCursor(hit);
        box->ensureCursorVisible();
    }
    box->setFocus(Qt::OtherFocusReason);
}

} // namespace

QList<SearchSource> catalogue(const QString& folder) {
    QList<SearchSource> sources;
    const auto add = [&sources](int window, int button, int item, const TextLoad::DataFile& file,
                                const QString& shownWhere, bool trim) {
        SearchSource s;
        s.window = window;
        s.button = button;
        s.item = item;
        s.file = file;
        s.where = shownWhere;
        s.trim = trim;
        sources.append(s);
    };
    for (int region = 1; region <= 3; ++region)
        add(2, region, 0, Form2::regionFile(region), where(u"坐标查询", Form2::regionCaption(region)),
            Form2::regionTrimmed(region));
    add(3, 0, 0, QString::fromUtf16(Form3::design().dataFile), where(Form3::design().title),
        Form3::design().trimLines);
    for (int number = 1; number <= 28; ++number)
        add(4, number, 0, Form4::professionFile(number), where(u"职业", Form4::professionCaption(number)),
            false);
    for (int band = 0; band < Form5::kBandCount; ++band) {
        const QStringList quests = Form5::bandQuests(band);
        for (int i = 0; i < quests.size(); ++i)
            add(5, band, i, quests[i] + QStringLiteral(".txt"), where(u"任务详解", quests[i]), false);
    }
    add(7, 0, 0, QString::fromUtf16(Form7::design().dataFile), where(Form7::design().title),
        Form7::design().trimLines);
    for (int group = 0; group < 4; ++group)
        add(8, group, 0, QStringLiteral("技能\\") + Form8::groupCaption(group) + QStringLiteral(".txt"),
            where(u"技能", Form8::groupCaption(group)), true);
    // The articles the reader's buttons load: a name whose title leads to another file (a ".text" file
    // loads title + ".txt") is never shown there.
    const QStringList names = Form10::listArticles(DataText::dataPath(folder, ArticleList::folderName()));
    // ArticleList::fileFor's choice, looked up rather than searched for each of many thousand names.
    QHash<QString, QString> exact;
    QHash<QString, QString> anyCase;
    for (const QString& name : names) {
        const QString shown = FileNames::display(name);
        exact.insert(shown, exact.value(shown, name));
        const QString folded = shown.toCaseFolded();
        anyCase.insert(folded, anyCase.value(folded, name));
    }
    for (const QString& name : names) {
        const QString title = ArticleList::titleOf(FileNames::display(name));
        const QString wanted = title + QStringLiteral(".txt");
        const QString loaded = exact.value(wanted, anyCase.value(wanted.toCaseFolded(), wanted));
        if (title.isEmpty() || loaded != name)
            continue;
        add(10, 0, 0, TextLoad::DataFile::listed(ArticleList::folderName(), name), where(u"心得文章", title),
            true);
    }
    return sources;
}

void open(const SearchSource& source, int line, const QString& matched) {
    switch (source.window) {
    case 2: {
        auto* form = FormBase::open<Form2>();
        QPushButton* buttons[] = {form->Command1, form->Command2, form->Command3};
        buttons[qBound(1, source.button, 3) - 1]->click();
        pickLine(form->List1, line);
        break;
    }
    case 3:
        pickLine(FormBase::open<Form3>()->List1, line);
        break;
    case 7:
        pickLine(FormBase::open<Form7>()->List1, line);
        break;
    case 4: {
        auto* form = FormBase::open<Form4>();
        QPushButton* button = form->Command[size_t(qBound(1, source.button, 28))];
        // A greyed profession's file is searched too; its result shows it as the button would.
        if (button->isEnabled())
            button->click();
        else
            form->showProfessionOf(source.button);
        selectInPane(form->Text1, line, matched);
        break;
    }
    case 5: {
        auto* form = FormBase::open<Form5>();
        QRadioButton* bands[] = {form->Option1, form->Option2, form->Option3, form->Option4, form->Option5};
        QRadioButton* band = bands[qBound(0, source.button, 4)];
        if (!band->isChecked())
            band->click();
        form->Command1[size_t(qBound(0, source.item, Form5::kQuestButtons - 1))]->click();
        selectInPane(form->Text1, line, matched);
        break;
    }
    case 8: {
        auto* form = FormBase::open<Form8>();
        form->Command1[size_t(qBound(0, source.button, 3))]->click();
        selectInPane(form->Text1, line, matched);
        break;
    }
    case 10: {
        auto* form = FormBase::open<Form10>();
        const QString name = source.file.parts.value(source.file.parts.size() - 1);
        QPointer<Form10> target(form);
        // A window that has just opened chooses its first article once it is up: after that.
        QTimer::singleShot(0, form, [target, name, line, matched] {
            if (!target || target->isUnloading())
                return;
            target->openArticle(name);
            auto* load =
                target->Text1->findChild<TextLoad::Progressive*>(QString(), Qt::FindDirectChildrenOnly);
            if (!load)
                return;
            QObject::connect(load, &TextLoad::Progressive::finished, target->Text1,
                             [box = target->Text1, line, matched] { selectInPane(box, line, matched); });
        });
        break;
    }
    default:
        break;
    }
}

} // namespace SearchTargets
