// The control as a form designer and a form meet it: the Designer plugin
// loaded the way Designer loads it, its widget created and its properties
// set and read through Qt's property system, Designer's form editor keeping
// them in a .ui file, and a form compiled by uic that a host sets up and
// shows.
#include <QAbstractItemView>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPluginLoader>
#include <QTest>
#include <QTimer>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_surface.h"
#include "agendor/platform/qt/tests/qt_test_support.h"
#include "ui_calendar_form.h"

#ifdef AGENDOR_HAVE_DESIGNER_COMPONENTS
#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtDesigner/QDesignerWidgetBoxInterface>
#include <QtDesigner/QDesignerWidgetDataBaseInterface>
#include <QtDesigner/QDesignerWidgetFactoryInterface>
#endif
#ifdef AGENDOR_HAVE_SQLITE
#include <QTemporaryDir>

#include "agendor/core/date_time.h"
#include "agendor/platform/qt/tests/qt_sqlite_file.h"
#endif

namespace agendor::qt {
namespace {

// Closes every modal box that comes up and keeps its text: neither a form
// designer nor a form being set up may ask anything.
class ModalWatcher {
public:
    ModalWatcher() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            auto* box = qobject_cast<QMessageBox*>(modal);
            texts.push_back(box ? box->text().toStdString() : modal->windowTitle().toStdString());
            modal->close();
        });
        timer_.start();
    }
    std::vector<std::string> texts;

private:
    QTimer timer_;
};

TEST(DesignerPlugin, OffersTheControlThatShowsTodaysMonthAndTakesItsProperties) {
    QPluginLoader loader(QStringLiteral(AGENDOR_DESIGNER_PLUGIN));
    QObject* instance = loader.instance();
    ASSERT_NE(instance, nullptr) << loader.errorString().toStdString();
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(instance);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->group(), "Agendor");

    ModalWatcher watcher;
    QWidget form;
    form.resize(700, 560);
    QWidget* calendar = plugin->createWidget(&form);
    ASSERT_NE(calendar, nullptr);
    calendar->resize(form.size());
    form.show();
    testing::DeliverPosted();
    // The plugin carries its own copy of the class, so only QObject's view
    // of it is shared with this test, as with Designer.
    EXPECT_STREQ(calendar->metaObject()->className(), "agendor::qt::AgendorWidget");
    auto* label = calendar->findChild<QLabel*>(QStringLiteral("lblMonat"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QLocale(QLocale::German).toString(QDate::currentDate(), QStringLiteral("MMMM yyyy")));

    EXPECT_TRUE(calendar->setProperty("Header", QStringLiteral("Patient")));
    EXPECT_EQ(calendar->property("Header").toString(), "Patient");
    EXPECT_TRUE(calendar->setProperty("DataSourceDates", QStringLiteral("Termine")));
    EXPECT_TRUE(calendar->setProperty("FieldDatesDateID", QStringLiteral("TerminID")));
    EXPECT_TRUE(calendar->setProperty("View", int(AgendorWidget::agWoche)));
    EXPECT_EQ(calendar->property("View").toInt(), AgendorWidget::agWoche);
    // Every change rebuilds the sheet at design time, over no database.
    EXPECT_TRUE(label->text().endsWith(QString::number(QDate::currentDate().weekNumber()) + ".KW"))
        << label->text().toStdString();
    EXPECT_TRUE(calendar->setProperty("DateValue", QDate(2027, 2, 10)));
    EXPECT_TRUE(calendar->setProperty("View", int(AgendorWidget::agMonat)));
    testing::DeliverPosted();
    EXPECT_EQ(label->text(), "Februar 2027");
    // The highlighted cell is the stored day's, Wednesday 10 February 2027,
    // also once the reload after the form's first resize has run.
    QTest::qWait(500);
    testing::DeliverPosted();
    auto* sheet = calendar->findChild<QAbstractItemView*>(QStringLiteral("Grid"));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(std::make_pair(sheet->currentIndex().row(), sheet->currentIndex().column()), std::make_pair(2, 2));
    testing::SaveShot(form.grab(), "designer-february-2027");
    EXPECT_TRUE(watcher.texts.empty()) << watcher.texts.front();
}

#ifdef AGENDOR_HAVE_DESIGNER_COMPONENTS
// Designer's own form editor, without its windows: it finds the plugin in a
// "designer" folder of its library path, offers the control under
// "Agendor", and writes what the property editor set into the form.
TEST(DesignerPlugin, DesignersFormEditorKeepsTheSetPropertiesInTheUiFile) {
    QCoreApplication::addLibraryPath(QStringLiteral(AGENDOR_DESIGNER_PLUGIN_PARENT));
    ModalWatcher watcher;
    std::unique_ptr<QDesignerFormEditorInterface> core(QDesignerComponents::createFormEditor(nullptr));
    QDesignerComponents::initializeResources();
    std::unique_ptr<QDesignerWidgetBoxInterface> widgetBox(QDesignerComponents::createWidgetBox(core.get(), nullptr));
    core->setWidgetBox(widgetBox.get());
    QDesignerComponents::initializePlugins(core.get());
    QDesignerIntegration integration(core.get());

    QDesignerWidgetDataBaseInterface* widgets = core->widgetDataBase();
    const int entry = widgets->indexOfClassName(QStringLiteral("agendor::qt::AgendorWidget"));
    ASSERT_GE(entry, 0);
    EXPECT_EQ(widgets->item(entry)->group(), "Agendor");

    std::unique_ptr<QDesignerFormWindowInterface> form(core->formWindowManager()->createFormWindow(nullptr));
    form->setContents(QStringLiteral(R"(<ui version="4.0"><class>Form</class>)"
                                     R"(<widget class="QWidget" name="Form"/></ui>)"));
    QWidget* calendar = core->widgetFactory()->createWidget(QStringLiteral("agendor::qt::AgendorWidget"),
                                                            form->mainContainer());
    ASSERT_NE(calendar, nullptr);
    calendar->setObjectName(QStringLiteral("agendor"));
    form->manageWidget(calendar);
    form->cursor()->setWidgetProperty(calendar, QStringLiteral("Header"), QStringLiteral("Patient"));
    form->cursor()->setWidgetProperty(calendar, QStringLiteral("View"), int(AgendorWidget::agWoche));
    form->cursor()->setWidgetProperty(calendar, QStringLiteral("BackColorSel"), QColor(255, 0, 0));
    EXPECT_EQ(calendar->property("Header").toString(), "Patient");

    const QString ui = form->contents();
    for (const char* kept : {R"(<widget class="agendor::qt::AgendorWidget" name="agendor">)", "<string>Patient</string>",
                             "<enum>agendor::qt::AgendorWidget::agWoche</enum>", "<red>255</red>",
                             R"(<header location="global">agendor/platform/qt/agendor_widget.h</header>)"})
        EXPECT_TRUE(ui.contains(QLatin1String(kept))) << ui.toStdString();
    // Only what was set is kept; the views of the font never are.
    for (const char* dropped : {R"(name="DataSourcePerson")", R"(name="Fontsize")"})
        EXPECT_FALSE(ui.contains(QLatin1String(dropped))) << ui.toStdString();
    EXPECT_TRUE(watcher.texts.empty()) << watcher.texts.front();
    form.reset();
    core->setWidgetBox(nullptr);
}
#endif

#ifdef AGENDOR_HAVE_SQLITE
TEST(UiForm, CompiledByUicItSetsUpQuietlyAndShowsTheStoredWeek) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("termine.sqlite").toStdString();
    // Wednesday, 17 March 2027, 10:00 and 14:30.
    testing::CreateCalendarFile(path, {"Meier", "Schulz"}, {{dt::FromYmdHms(2027, 3, 17, 10, 0, 0), 1},
                                                            {dt::FromYmdHms(2027, 3, 17, 14, 30, 0), 2}});
    ModalWatcher watcher;
    QWidget window;
    Ui::CalendarForm ui;
    ui.setupUi(&window);
    // The stored view waits for the host's Refresh: setting up the form
    // asks for no property.
    testing::DeliverPosted();
    EXPECT_TRUE(watcher.texts.empty()) << watcher.texts.front();
    AgendorWidget& calendar = *ui.agendor;
    EXPECT_EQ(calendar.View(), AgendorWidget::agWoche);
    EXPECT_EQ(calendar.Header(), "Patient");
    EXPECT_EQ(calendar.BackcolorPast(), QColor(255, 224, 192));
    EXPECT_FALSE(calendar.AllowPrint());
    EXPECT_EQ(calendar.DateValue(), QDate(2027, 3, 17));
    // The form's font is the control's Font.
    EXPECT_EQ(calendar.control().Fontsize(), 10);
    EXPECT_EQ(calendar.Font().pointSize(), 10);

    calendar.control().SetWorkspace(std::make_shared<sqlite::SqliteWorkspace>());
    calendar.control().SetDatabase(sqlite::SqliteDatabase::Open(path));
    window.show();
    testing::DeliverPosted();
    calendar.Refresh();
    testing::DeliverPosted();
    EXPECT_EQ(calendar.surface().lblMonat->Caption(), "März 2027, 11.KW");
    // Wednesday is column 2 of the week sheet; its cell lists both.
    const std::string cell = calendar.surface().Grid->TextMatrix(1, 2);
    EXPECT_NE(cell.find("10:00 Meier"), std::string::npos) << cell;
    EXPECT_NE(cell.find("14:30 Schulz"), std::string::npos) << cell;
    testing::SaveShot(window.grab(), "uic-form-week");
    EXPECT_TRUE(watcher.texts.empty()) << watcher.texts.front();
}
#endif

} // namespace
} // namespace agendor::qt
