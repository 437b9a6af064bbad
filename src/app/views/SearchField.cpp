#include "app/views/SearchField.h"

#include <QKeyEvent>

#include "foundation/Localization.h"

namespace pindrake::app::views {

namespace {

SearchKey searchKey(int key) {
    switch (key) {
        case Qt::Key_Left:
            return SearchKey::left;
        case Qt::Key_Right:
            return SearchKey::right;
        case Qt::Key_Up:
            return SearchKey::up;
        case Qt::Key_Down:
            return SearchKey::down;
        case Qt::Key_C:
            return SearchKey::c;
        case Qt::Key_Backspace:
            return SearchKey::backspace;
        case Qt::Key_Escape:
            return SearchKey::escape;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return SearchKey::enter;
        default:
            return SearchKey::other;
    }
}

}  // namespace

SearchField::SearchField(Callbacks callbacks, std::function<bool()> isConverterMenuOpen,
                         QWidget* parent)
    : QLineEdit(parent),
      callbacks_(std::move(callbacks)),
      isConverterMenuOpen_(std::move(isConverterMenuOpen)) {
    setFrame(false);
    setPlaceholderText(QString::fromStdString(localized("search_placeholder")));
    QFont big = font();
    big.setPixelSize(20);
    setFont(big);
    setFixedHeight(30);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
}

SearchKeyDecision SearchField::decide(const QKeyEvent& event) const {
    // The keypad flag says nothing about the key's meaning here.
    const auto modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const SearchKeyModifiers flags{
        modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::ShiftModifier),
        modifiers.testFlag(Qt::AltModifier), modifiers.testFlag(Qt::MetaModifier)};
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const SearchFieldState state{isConverterMenuOpen_(), start == 0, start == text().size(),
                                 hasSelectedText()};
    return routeSearchKey(searchKey(event.key()), flags, state);
}

// Claims the keys it will act on before any shortcut sees them.
bool SearchField::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (decide(*key).command != SearchCommand::none) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void SearchField::keyPressEvent(QKeyEvent* event) {
    const SearchKeyDecision decision = decide(*event);
    if (decision.command == SearchCommand::none) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    run(decision.command);
    if (decision.moveCaretToEnd)
        end(false);
}

void SearchField::run(SearchCommand command) {
    const auto call = [](const std::function<void()>& callback) {
        if (callback)
            callback();
    };
    switch (command) {
        case SearchCommand::arrowDown:
            return call(callbacks_.onArrowDown);
        case SearchCommand::arrowUp:
            return call(callbacks_.onArrowUp);
        case SearchCommand::arrowRight:
            return call(callbacks_.onArrowRight);
        case SearchCommand::arrowLeft:
            return call(callbacks_.onArrowLeft);
        case SearchCommand::escape:
            return call(callbacks_.onEscape);
        case SearchCommand::enter:
            return call(callbacks_.onReturn);
        case SearchCommand::deleteEntry:
            return call(callbacks_.onDelete);
        case SearchCommand::copy:
            return call(callbacks_.onCopy);
        case SearchCommand::none:
            return;
    }
}

}  // namespace pindrake::app::views
