#pragma once

#include <QProxyStyle>

// The platform's style with the tool's few adjustments: a frame's caption sits inside the frame's
// border, as framed groups draw it on Windows, instead of against the window's edge; an option's or check
// box's caption starts as close to its mark as on Windows, so it keeps the room the design gives it;
// Enter presses the focused push button, as Space does, as it does on Windows.
class AppStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    // How far a caption stands in from the frame's left edge, in pixels.
    static constexpr int kCaptionInset = 6;

    // Pixels between an option's or check box's mark and its caption.
    static constexpr int kMarkSpacing = 3;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
