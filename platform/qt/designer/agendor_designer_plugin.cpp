#include "agendor_designer_plugin.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include "agendor/platform/qt/agendor_widget.h"

namespace agendor::qt {

AgendorDesignerPlugin::AgendorDesignerPlugin(QObject* parent) : QObject(parent) {}

// The class as a form names it; uic writes it into the generated code.
QString AgendorDesignerPlugin::name() const { return QStringLiteral("agendor::qt::AgendorWidget"); }
QString AgendorDesignerPlugin::group() const { return QStringLiteral("Agendor"); }
QString AgendorDesignerPlugin::toolTip() const { return QStringLiteral("Terminkalender"); }
QString AgendorDesignerPlugin::whatsThis() const {
    return QStringLiteral("Terminkalender mit Wochen- und Monatsblatt; Termine aus der Datenbank des Programms");
}
// What a host writes: the headers are installed under include/agendor/; the
// angle brackets make Designer write a global include into the form.
QString AgendorDesignerPlugin::includeFile() const { return QStringLiteral("<agendor/platform/qt/agendor_widget.h>"); }

QIcon AgendorDesignerPlugin::icon() const {
    // A calendar leaf: a blue top strip over a page with its day grid.
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(0x20, 0x20, 0x20));
    p.setBrush(Qt::white);
    p.drawRect(2, 3, 17, 16);
    p.fillRect(3, 4, 16, 4, QColor(0x2F, 0x5F, 0xA8));
    p.setPen(QColor(0x90, 0x90, 0x90));
    for (int x = 7; x < 19; x += 4) p.drawLine(x, 9, x, 18);
    for (int y = 12; y < 19; y += 3) p.drawLine(3, y, 18, y);
    return QIcon(pixmap);
}

bool AgendorDesignerPlugin::isContainer() const { return false; }

QWidget* AgendorDesignerPlugin::createWidget(QWidget* parent) {
    auto* widget = new AgendorWidget(parent);
    widget->SetDesignMode(true);
    return widget;
}

bool AgendorDesignerPlugin::isInitialized() const { return initialized_; }
void AgendorDesignerPlugin::initialize(QDesignerFormEditorInterface*) { initialized_ = true; }

QString AgendorDesignerPlugin::domXml() const {
    // A new control takes the control's design size (545 x 479 pixels at
    // 96 dpi); the header is included as <agendor/...>.
    return QStringLiteral(R"(<ui language="c++">
 <widget class="agendor::qt::AgendorWidget" name="agendor">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>545</width><height>479</height></rect>
  </property>
 </widget>
 <customwidgets>
  <customwidget>
   <class>agendor::qt::AgendorWidget</class>
   <extends>QWidget</extends>
   <header location="global">agendor/platform/qt/agendor_widget.h</header>
  </customwidget>
 </customwidgets>
</ui>
)");
}

} // namespace agendor::qt
