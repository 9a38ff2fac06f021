#include "forms/frmcalc.h"

#include "core/Numbers.h"
#include "core/StatFormulas.h"
#include "forms/Form2.h"
#include "platform/Platform.h"
#include "widgets/DigitFilter.h"
#include "widgets/Twips.h"

#include <QFocusEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>

#include <utility>

using Numbers::displayForm;
using Numbers::leadingNumber;

const QString frmcalc::kCreditUrl = QStringLiteral("https://qmquery.example.org/");

namespace {

// A correction that keeps overrunning (pasted fractions, negative values) stops after this many
// nested runs instead of recursing without end.
constexpr int kMaxNesting = 16;

// The level box: entering it by Tab keeps the caret where it is instead of selecting the level.
class LevelBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        deselect();
    }
};

void setTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

struct Field {
    const char* name;
    const char16_t* caption; // labels only
    int left;
    int top;
    int width;
    int height;
};

} // namespace

frmcalc::frmcalc() {
    // The images live in a static library: name the resource so the linker keeps it.
    Q_INIT_RESOURCE(calc);
    setObjectName(QStringLiteral("frmcalc"));
    setWindowTitle(QStringLiteral("QM- 人物能力計算程式"));
    setClientSizeTw(4980, 1935);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/calc/frmcalc%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);

    const auto label = [](QWidget* parent, const Field& f) {
        auto* l = new QLabel(QString::fromUtf16(f.caption), parent);
        l->setObjectName(QLatin1String(f.name));
        Twips::setGeometry(l, f.left, f.top, f.width, f.height);
        return l;
    };
    const auto box = [](QWidget* parent, const Field& f, int maxLength, bool readOnly) {
        QLineEdit* e =
            QLatin1String(f.name) == QLatin1String("Lv") ? new LevelBox(parent) : new QLineEdit(parent);
        e->setObjectName(QLatin1String(f.name));
        Twips::setGeometry(e, f.left, f.top, f.width, f.height);
        if (maxLength > 0)
            e->setMaxLength(maxLength);
        e->setReadOnly(readOnly);
        return e;
    };

    Label6 = label(this, {"Label6", u"Lv", 0, 10, 195, 180});
    Lv = box(this, {"Lv", nullptr, 240, 10, 495, 270}, 3, false);
    Lv->setText(QStringLiteral("1"));
    Label16 = label(this, {"Label16", u"", 720, 15, 2565, 180});
    Label16->setAlignment(Qt::AlignCenter);
    setTextColor(Label16, QColor(255, 0, 0));
    Label7 = label(this, {"Label7", u"可用點數", 3240, 10, 720, 180});
    Pointi = box(this, {"Pointi", nullptr, 4080, 10, 615, 270}, 0, true);

    Label1 = label(this, {"Label1", u"體", 0, 360, 180, 180});
    a1 = box(this, {"a1", nullptr, 240, 360, 615, 270}, 4, false);
    Label2 = label(this, {"Label2", u"力", 960, 360, 180, 180});
    a2 = box(this, {"a2", nullptr, 1200, 360, 615, 270}, 4, false);
    Label3 = label(this, {"Label3", u"強", 1920, 360, 255, 255});
    a3 = box(this, {"a3", nullptr, 2160, 360, 615, 270}, 4, false);
    Label4 = label(this, {"Label4", u"速", 2880, 360, 255, 255});
    a4 = box(this, {"a4", nullptr, 3120, 360, 615, 270}, 4, false);
    Label5 = label(this, {"Label5", u"魔", 3840, 360, 255, 255});
    a5 = box(this, {"a5", nullptr, 4080, 360, 615, 270}, 4, false);

    Frame1 = Twips::place(new QGroupBox(QStringLiteral("能力"), this), "Frame1", 0, 720, 4935, 975);
    Label8 = label(Frame1, {"Label8", u"HP", 120, 240, 210, 180});
    t1 = box(Frame1, {"t1", nullptr, 360, 240, 615, 270}, 0, true);
    Label9 = label(Frame1, {"Label9", u"MP", 1080, 240, 255, 255});
    t2 = box(Frame1, {"t2", nullptr, 1320, 240, 615, 270}, 0, true);
    Label10 = label(Frame1, {"Label10", u"攻", 120, 600, 255, 255});
    t3 = box(Frame1, {"t3", nullptr, 360, 600, 615, 270}, 0, true);
    Label11 = label(Frame1, {"Label11", u"防", 1080, 600, 255, 255});
    t4 = box(Frame1, {"t4", nullptr, 1320, 600, 615, 270}, 0, true);
    Label12 = label(Frame1, {"Label12", u"敏", 2040, 600, 255, 255});
    t5 = box(Frame1, {"t5", nullptr, 2280, 600, 615, 270}, 0, true);
    Label13 = label(Frame1, {"Label13", u"精", 3000, 600, 255, 255});
    t6 = box(Frame1, {"t6", nullptr, 3240, 600, 615, 270}, 0, true);
    Label14 = label(Frame1, {"Label14", u"回", 3960, 600, 255, 255});
    t7 = box(Frame1, {"t7", nullptr, 4200, 600, 615, 270}, 0, true);

    Label15 = label(this, {"Label15", u"", 0, 1740, 4935, 195});
    Label15->setText(QStringLiteral("qmquery 製作小組    ") + kCreditUrl);
    Label15->setAlignment(Qt::AlignCenter);
    Label15->setCursor(QCursor(QPixmap(QStringLiteral(":/calc/hand.png")), 13, 9));

    for (QLabel* l : {Label6, Label7, Label1, Label2, Label8})
        fitCaption(l);

    QWidget* const tabOrder[] = {Lv, Pointi, a1, a2, a3, a4, a5, t7, t6, t5, t4, t3, t2, t1};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // Each control keeps the mouse to itself: the credit line turns black again only over the window's
    // background and the frame.
    for (QWidget* child : findChildren<QWidget*>())
        child->setAttribute(Qt::WA_NoMousePropagation);
    setMouseTracking(true);
    Frame1->setMouseTracking(true);
    Label15->setMouseTracking(true);
    Frame1->installEventFilter(this);
    Label15->installEventFilter(this);
    // The key filters of Lv and a1..a5: only digits and Backspace are typed.
    auto* digits = new DigitFilter(this);
    for (QLineEdit* e : {Lv, a1, a2, a3, a4, a5}) {
        digits->guard(e);
        e->installEventFilter(this);
    }

    connect(Lv, &QLineEdit::textChanged, this, &frmcalc::Lv_Change);
    connect(a1, &QLineEdit::textChanged, this, &frmcalc::a1_Change);
    connect(a2, &QLineEdit::textChanged, this, &frmcalc::a2_Change);
    connect(a3, &QLineEdit::textChanged, this, &frmcalc::a3_Change);
    connect(a4, &QLineEdit::textChanged, this, &frmcalc::a4_Change);
    connect(a5, &QLineEdit::textChanged, this, &frmcalc::a5_Change);
}

void frmcalc::Form_Load() {
    re();
    Lv->setFocus();
}

QLineEdit* frmcalc::statBox(int number) const {
    QLineEdit* const boxes[] = {a1, a2, a3, a4, a5};
    return boxes[number - 1];
}

void frmcalc::fitCaption(QLabel* label) {
    const QRect old = label->geometry();
    label->adjustSize();
    if (label == Label16) {
        // Sized to the message but still centred over its design span.
        label->move(old.center().x() - label->width() / 2 + 1, old.y());
    }
}

bool frmcalc::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn: {
        const std::pair<QLineEdit*, void (frmcalc::*)()> gotFocus[] = {{a1, &frmcalc::a1_GotFocus},
                                                                       {a2, &frmcalc::a2_GotFocus},
                                                                       {a3, &frmcalc::a3_GotFocus},
                                                                       {a4, &frmcalc::a4_GotFocus},
                                                                       {a5, &frmcalc::a5_GotFocus}};
        for (const auto& [box, handler] : gotFocus) {
            if (watched == box) {
                const auto reason = static_cast<QFocusEvent*>(event)->reason();
                // A click places the caret after focusing; the release selects again.
                clickFocused_ = reason == Qt::MouseFocusReason ? box : nullptr;
                (this->*handler)();
            }
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (watched == Label15) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && Label15->rect().contains(mouse->position().toPoint()))
                Label15_Click();
        } else if (watched == clickFocused_) {
            if (!clickFocused_->hasSelectedText())
                clickFocused_->selectAll();
            clickFocused_ = nullptr;
        }
        break;
    case QEvent::MouseMove:
        if (watched == Label15)
            Label15_MouseMove();
        else if (watched == Frame1)
            Frame1_MouseMove();
        break;
    default:
        break;
    }
    return FormBase::eventFilter(watched, event);
}

void frmcalc::mouseMoveEvent(QMouseEvent* event) {
    Form_MouseMove();
    FormBase::mouseMoveEvent(event);
}

void frmcalc::statGotFocus(int number) {
    lastfocus = static_cast<qint16>(number);
    QLineEdit* box = statBox(number);
    box->setSelection(0, static_cast<int>(box->text().size()));
}

void frmcalc::Form_MouseMove() {
    setTextColor(Label15, QColor(0, 0, 0));
}

void frmcalc::Frame1_MouseMove() {
    setTextColor(Label15, QColor(0, 0, 0));
}

void frmcalc::Label15_MouseMove() {
    setTextColor(Label15, QColor(255, 0, 0));
}

void frmcalc::Label15_Click() {
    // Returns at once; a browser that cannot be started leaves the window as it is.
    (void)Platform::openUrl(kCreditUrl);
}

void frmcalc::Lv_Change() {
    if (leadingNumber(Lv->text()) <= 0)
        Lv->setText(QStringLiteral("1"));
    // The five boxes reset as one step: zeroing them one by one would run `re` in between with the old
    // points still in the later boxes, and the overrun correction would then push the box last worked
    // in below zero.
    for (QLineEdit* box : {a1, a2, a3, a4, a5}) {
        const QSignalBlocker quiet(box);
        box->setText(QStringLiteral("0"));
    }
    re();
}

void frmcalc::re() {
    ++reDepth_;
    const auto stats = [this] {
        return StatFormulas::Stats{leadingNumber(a1->text()), leadingNumber(a2->text()),
                                   leadingNumber(a3->text()), leadingNumber(a4->text()),
                                   leadingNumber(a5->text())};
    };

    Pointi->setText(displayForm(StatFormulas::availablePoints(leadingNumber(Lv->text()), stats())));

    const StatFormulas::Abilities abilities = StatFormulas::abilities(stats());
    QLineEdit* const outputs[] = {t1, t2, t3, t4, t5, t6, t7};
    for (size_t i = 0; i < abilities.size(); ++i)
        outputs[i]->setText(displayForm(abilities[i]));

    // The box last worked in gives back what overruns the total; a nested run recomputes everything.
    for (int k = 1; k <= 5; ++k) {
        const double left = leadingNumber(Pointi->text());
        if (left < 0 && lastfocus == k && reDepth_ < kMaxNesting) {
            QLineEdit* box = statBox(k);
            const QString before = box->text();
            box->setText(displayForm(leadingNumber(before) + left));
            // An unchanged text (rounding, the length limit) cannot take the overrun back: another run
            // would only repeat this one.
            if (box->text() != before)
                re();
        }
    }

    Label16->setText(StatFormulas::messageLine(leadingNumber(Lv->text()), stats()));
    fitCaption(Label16);

    if (Lv->text() == u"2" && a1->text() == u"3" && a2->text() == u"4" && a3->text() == u"5" &&
        a4->text() == u"6" && a5->text() == u"7")
        FormBase::open<Form2>();
    --reDepth_;
}
