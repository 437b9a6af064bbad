#pragma once

#include <QLineEdit>

#include <functional>

#include "app/views/SearchKeyRouting.h"

namespace pindrake::app::views {

// The panel's search field: edits the query and hands the navigation keys to the panel.
class SearchField final : public QLineEdit {
    Q_OBJECT
  public:
    struct Callbacks {
        std::function<void()> onArrowDown, onArrowUp, onArrowRight, onArrowLeft, onEscape, onReturn,
            onDelete, onCopy;
    };

    SearchField(Callbacks callbacks, std::function<bool()> isConverterMenuOpen,
                QWidget* parent = nullptr);

    // What the field does with a key press in its present state.
    SearchKeyDecision decide(const QKeyEvent& event) const;

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void run(SearchCommand command);

    Callbacks callbacks_;
    std::function<bool()> isConverterMenuOpen_;
};

}  // namespace pindrake::app::views
