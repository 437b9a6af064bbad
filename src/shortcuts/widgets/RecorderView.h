#pragma once

#include <QWidget>

#include <string_view>

#include "shortcuts/widgets/RecorderControl.h"

class QLabel;

namespace pindrake::GlobalShortcuts {

// A recorder for one name, as a form puts it: the control alone, or a label beside it.
class RecorderView final : public QWidget {
  public:
    // The control alone, with no empty label column.
    RecorderView(RecorderServices services, Name name, RecorderLogic::OnChange onChange = {},
                 QWidget* parent = nullptr);
    // With a label of the caller's own making, shown as it is.
    RecorderView(QWidget* label, RecorderServices services, Name name,
                 RecorderLogic::OnChange onChange = {}, QWidget* parent = nullptr);
    // A text label, shown verbatim (even when it reads like a text key).
    RecorderView(const QString& label, RecorderServices services, Name name,
                 RecorderLogic::OnChange onChange = {}, QWidget* parent = nullptr);
    // A text label looked up by its key in the application's texts.
    static RecorderView* withLabelKey(std::string_view key, RecorderServices services, Name name,
                                      RecorderLogic::OnChange onChange = {},
                                      QWidget* parent = nullptr);

    // Shows another name in the same control; the change callback stays the one it was made
    // with.
    void setName(Name name) { control_->setShortcutName(std::move(name)); }

    QWidget* label() const { return label_; }
    RecorderControl* control() const { return control_; }

  private:
    QWidget* label_ = nullptr;
    RecorderControl* control_;
};

}  // namespace pindrake::GlobalShortcuts
