#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>

#include <QWidget>
#include <functional>
#include <optional>

class FileFollower;
class FindBar;
class QTimer;

namespace TextLoad {
struct DataFile;
}

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

    // The lists and text panes Ctrl+F finds in: the one holding the focus, else the first. A window whose
    // layout does not follow its size (`grows`) grows by the find field's height while it is open;
    // any other lays out again with that much less height.
    void setFindTargets(const QList<QWidget*>& targets, bool grows);
    // The inner height, in twips, the window's layout may fill: less the find field's while it is open.
    [[nodiscard]] int layoutHeightTw() const;

    // Follows the data file `shown` (a list or a pane) now shows: a change the player saves to it runs
    // `reload` again, the same load as the button that showed it. The picked item and the scroll
    // position are kept as far as the new content allows.
    void follow(QWidget* shown, const TextLoad::DataFile& file, std::function<void()> reload);

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

    void openFind();
    void placeFindBar();
    // The find field opened (`grow` > 0) or closed: the window grows or shrinks by it, or lays out again.
    void makeRoomForFind(int grow);

    bool loaded_ = false;
    bool unloading_ = false;
    QTimer* frameWatch_ = nullptr;
    QList<QWidget*> findTargets_;
    bool findGrows_ = false;
    FindBar* findBar_ = nullptr;
    int findBarHeight_ = 0;
    // Where the window's frame stood before it grew for the find field.
    std::optional<QPoint> grownFrom_;
    FileFollower* follower_ = nullptr;
    QMargins placedWithFrame_;
};
