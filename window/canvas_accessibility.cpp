#include "window/canvas_accessibility.h"

#include <QAccessibleWidget>

#include "form/form.h"
#include "sweeps/decimal_text.h"
#include "window/canvas_widget.h"
#include "window/main_window.h"

namespace window {

namespace {

// The roles of the window and the canvas; their names and descriptions are the widgets' own.
QAccessibleInterface* AccessibleRoles(const QString& className, QObject* object) {
  QAccessible::Role role = QAccessible::NoRole;
  if (className == QLatin1String(Form1::staticMetaObject.className())) role = QAccessible::Window;
  if (className == QLatin1String(CanvasWidget::staticMetaObject.className())) {
    role = QAccessible::Canvas;
  }
  if (role == QAccessible::NoRole || !object->isWidgetType()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), role);
}

}  // namespace

void InstallAccessibleRoles() {
  static const bool installed = (QAccessible::installFactory(AccessibleRoles), true);
  (void)installed;
}

QString NothingDrawnYet() { return QStringLiteral("まだ何も描いていません。"); }

QString CanvasDescription(const sweeps::SweepInputs& sweep, std::optional<sweeps::SweepEnd> end) {
  const sweeps::SweepPlan& plan = *sweep.plan;
  const std::string_view caption = form::ButtonFor(plan).text;
  const QString top =
      QString::fromStdString(sweeps::ShortestDecimal(sweep.sweepMax)) + QStringLiteral("°");
  const QString zero = QStringLiteral("0°");
  const QString range =
      QStringLiteral("%1 から %2 まで").arg(plan.step < 0 ? top : zero, plan.step < 0 ? zero : top);
  const QString action = !end ? QStringLiteral("描いています")
                         : *end == sweeps::SweepEnd::Stopped
                             ? QStringLiteral("描く途中で止めました")
                             : QStringLiteral("描きました");
  return QStringLiteral("「%1」で %2%3。")
      .arg(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())), range,
           action);
}

}  // namespace window
