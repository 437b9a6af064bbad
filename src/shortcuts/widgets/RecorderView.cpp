#include "shortcuts/widgets/RecorderView.h"

#include <QHBoxLayout>
#include <QLabel>

#include "foundation/Localization.h"

namespace pindrake::GlobalShortcuts {

RecorderView::RecorderView(RecorderServices services, Name name, RecorderLogic::OnChange onChange,
                           QWidget* parent)
    : RecorderView(static_cast<QWidget*>(nullptr), std::move(services), std::move(name),
                   std::move(onChange), parent) {}

RecorderView::RecorderView(QWidget* label, RecorderServices services, Name name,
                           RecorderLogic::OnChange onChange, QWidget* parent)
    : QWidget(parent),
      label_(label),
      control_(new RecorderControl(std::move(services), std::move(name), std::move(onChange))) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (label_)
        layout->addWidget(label_);
    layout->addWidget(control_);
}

RecorderView::RecorderView(const QString& label, RecorderServices services, Name name,
                           RecorderLogic::OnChange onChange, QWidget* parent)
    : RecorderView(new QLabel(label), std::move(services), std::move(name), std::move(onChange),
                   parent) {}

RecorderView* RecorderView::withLabelKey(std::string_view key, RecorderServices services, Name name,
                                         RecorderLogic::OnChange onChange, QWidget* parent) {
    return new RecorderView(QString::fromStdString(localized(key)), std::move(services),
                            std::move(name), std::move(onChange), parent);
}

}  // namespace pindrake::GlobalShortcuts
