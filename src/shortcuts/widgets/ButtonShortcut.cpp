#include "shortcuts/widgets/ButtonShortcut.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPointer>

#include "shortcuts/widgets/QtKeys.h"

namespace pindrake::GlobalShortcuts {

namespace {

// Keeps the button's shortcut in step; a child of the button, so it goes with it.
class ButtonShortcutBinding final : public QObject {
  public:
    ButtonShortcutBinding(QAbstractButton& button, Name name, Registry& registry,
                          const platform::KeyboardLayout& layout)
        : QObject(&button),
          button_(button),
          name_(std::move(name)),
          registry_(registry),
          layout_(layout) {
        apply();
        changes_ = registry_.shortcutByNameDidChange().observeForView(
            [this](const std::optional<Name>& changed) {
                if (changed && changed->rawValue() == name_.rawValue())
                    apply();
            });
        recorders_ = registry_.recorderActiveStatusDidChange().observeForView([this](bool active) {
            recorderActive_ = active;
            apply();
        });
    }

  private:
    void apply() {
        std::optional<QKeySequence> sequence;
        if (!recorderActive_) {
            if (auto stored = registry_.getShortcut(name_))
                sequence = keySequence(*stored, layout_);
        }
        button_.setShortcut(sequence.value_or(QKeySequence()));
    }

    QAbstractButton& button_;
    Name name_;
    Registry& registry_;
    const platform::KeyboardLayout& layout_;
    bool recorderActive_ = false;
    Subscription changes_;
    Subscription recorders_;
};

// Holds the stream while the widget is shown.
class VisibleStream final : public QObject {
  public:
    VisibleStream(QWidget& widget, Name name, Registry& registry,
                  std::function<void(EventType)> action, std::optional<EventType> only)
        : QObject(&widget),
          name_(std::move(name)),
          registry_(registry),
          action_(std::move(action)),
          only_(only) {
        widget.installEventFilter(this);
        if (widget.isVisible())
            start();
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            start();
        if (event->type() == QEvent::Hide) {
            stream_.reset();
            streaming_ = false;
        }
        return false;
    }

  private:
    void start() {
        if (!streaming_)
            stream_ = registry_.events(name_, action_, only_);
        streaming_ = true;
    }

    Name name_;
    Registry& registry_;
    std::function<void(EventType)> action_;
    std::optional<EventType> only_;
    Subscription stream_;
    bool streaming_ = false;
};

}  // namespace

void globalKeyboardShortcut(QAbstractButton& button, const Name& name, Registry& registry,
                            const platform::KeyboardLayout& layout) {
    new ButtonShortcutBinding(button, name, registry, layout);
}

void onKeyboardShortcut(QWidget& widget, const Name& name, Registry& registry,
                        std::function<void(EventType)> action, std::optional<EventType> only) {
    new VisibleStream(widget, name, registry, std::move(action), only);
}

}  // namespace pindrake::GlobalShortcuts
