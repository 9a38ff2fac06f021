#pragma once

#include <QProxyStyle>

// The platform's style with the tool's few adjustments: a frame's caption sits inside the frame's
// border, as framed groups draw it on Windows, instead of against the window's edge; Enter presses the
// focused push button, as Space does, as it does on Windows.
class AppStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    // How far a caption stands in from the frame's left edge, in pixels.
    static constexpr int kCaptionInset = 6;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget = nullptr) const override;
    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
