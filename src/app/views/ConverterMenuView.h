#pragma once

#include <QListWidget>
#include <QTimer>

#include <optional>
#include <set>
#include <string>

#include "converters/Converters.h"

namespace pindrake::app::views {

// The converters offered for the selected entry: symbol and title per row, the current choice
// highlighted, a spinner on rows whose AI result is being computed. Clicks report the row.
class ConverterMenuView final : public QListWidget {
    Q_OBJECT
  public:
    static constexpr int rowHeight = 26;

    explicit ConverterMenuView(QWidget* parent = nullptr);

    struct State {
        converters::ConverterList candidates;
        int selectedIndex = 0;
        bool isFocused = false;
        std::optional<std::string> targetItemId;
        std::set<std::string> aiLoadingKeys;
    };
    void setState(State state);
    const State& state() const { return state_; }
    // The row that carries the highlight, if any.
    std::optional<int> highlightedRow() const;
    bool isLoading(int row) const;

  signals:
    void converterClicked(int row);

  private:
    class Delegate;
    State state_;
    QTimer spinnerTimer_;
    int spinnerStep_ = 0;
    friend class Delegate;
};

}  // namespace pindrake::app::views
