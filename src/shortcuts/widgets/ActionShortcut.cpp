#include "shortcuts/widgets/ActionShortcut.h"

#include <QAction>
#include <QPointer>
#include <QTimer>

#include "shortcuts/widgets/QtKeys.h"

namespace pindrake::GlobalShortcuts {

namespace {

constexpr const char* bindingObjectName = "pindrake-shortcut-binding";

// The action's binding, as a child object so that it goes with the action, and an update
// still queued from a binding replaced meanwhile is dropped with it.
class ActionBinding final : public QObject {
  public:
    explicit ActionBinding(QAction& action) : QObject(&action) { setObjectName(bindingObjectName); }

    Subscription changes;
};

}  // namespace

void setShortcut(QAction& action, const std::optional<Shortcut>& shortcut,
                 const platform::KeyboardLayout& layout) {
    const auto sequence = shortcut ? keySequence(*shortcut, layout) : std::nullopt;
    action.setShortcut(sequence.value_or(QKeySequence()));
}

void bindShortcut(QAction& action, const std::optional<Name>& name, Registry& registry,
                  const platform::KeyboardLayout& layout) {
    delete action.findChild<ActionBinding*>(bindingObjectName, Qt::FindDirectChildrenOnly);
    setShortcut(action, name ? registry.getShortcut(*name) : std::nullopt, layout);
    if (!name)
        return;
    auto* binding = new ActionBinding(action);
    QPointer<ActionBinding> live(binding);
    binding->changes = registry.shortcutByNameDidChange().observeForView(
        [live, bound = *name, &registry, &layout](const std::optional<Name>& changed) {
            if (!changed || changed->rawValue() != bound.rawValue() || !live)
                return;
            QTimer::singleShot(0, live, [live, bound, &registry, &layout] {
                setShortcut(*static_cast<QAction*>(live->parent()), registry.getShortcut(bound),
                            layout);
            });
        });
}

}  // namespace pindrake::GlobalShortcuts
