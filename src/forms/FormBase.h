#pragma once

#include <QMargins>
#include <QWidget>

class QTimer;

// What every window shares: one instance per class created on first use, Form_Load when the window
// loads, Form_Resize on every size change, unloading on close (the next opening starts afresh).
class FormBase : public QWidget {
    Q_OBJECT
public:
    // The class's one instance, created (not loaded) on first use.
    template <class T> static T* instance() {
        FormBase*& slot = slotFor(&T::staticMetaObject);
        if (!slot)
            slot = new T;
        return static_cast<T*>(slot);
    }
    // The instance if it exists, else nullptr.
    template <class T> static T* existing() { return static_cast<T*>(slotFor(&T::staticMetaObject)); }
    // Creates if needed, then shows: loads first when not loaded, else brings it to the front.
    template <class T> static T* open() {
        T* form = instance<T>();
        form->Show();
        return form;
    }

    // Shows the window modeless; a window not yet loaded runs Form_Load first.
    void Show();
    [[nodiscard]] bool isLoaded() const { return loaded_; }
    [[nodiscard]] bool isUnloading() const { return unloading_; }

    // Discards every window at once without running their closing handlers (the menu closing).
    static void unloadAll();

    ~FormBase() override;

protected:
    FormBase();

    // The design's client-area size, in twips.
    void setClientSizeTw(int width, int height);

    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_Unload() {}

    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static FormBase*& slotFor(const QMetaObject* meta);

    // Applies the placement rule Form_Load asked for, with the window's current size and frame.
    void placeAgain();
    // A window manager frames a window only after it appears, and the frame decides the outer size:
    // while the frame is still settling, a change of it runs the layout and the placement again.
    void followFrame();
    // Drops this window from the one-instance registry, so the next opening creates a new one.
    void forget();

    bool loaded_ = false;
    bool unloading_ = false;
    QTimer* frameWatch_ = nullptr;
    QMargins placedWithFrame_;
};
