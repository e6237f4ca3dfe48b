// AgendorWidget's Qt properties and design time: the control's public
// properties in Qt types, their NOTIFY signals, and the control as a form
// designer shows it.
#include <QEvent>
#include <QMetaMethod>
#include <QMetaProperty>

#include <limits>
#include <memory>
#include <string>

#include "agendor/control/agendor.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/qt/qt_date_time.h"
#include "agendor/platform/qt/qt_font.h"
#include "agendor/platform/qt/qt_surface.h"

namespace agendor::qt {

namespace {

// The database of design time: it knows no table, and every query finds
// nothing, so the sheet shows without appointments and no load fails.
class EmptyRecordset final : public Recordset {
public:
    bool IsEOF() const override { return true; }
    void MoveNext() override { throw Error("Kein aktueller Datensatz"); }
    void MoveFirst() override {}
    void MoveLast() override {}
    long RecordCount() const override { return 0; }
    FieldValue Field(std::string_view) const override { throw Error("Kein aktueller Datensatz"); }
};

class EmptyQueryDef final : public QueryDef {
public:
    explicit EmptyQueryDef(std::string text) : text_(std::move(text)) {}
    std::string SQL() const override { return text_; }
    std::unique_ptr<Recordset> OpenRecordset(RecordsetType) override { return std::make_unique<EmptyRecordset>(); }

private:
    std::string text_;
};

class DesignDatabase final : public Database {
public:
    std::string Name() const override { return "Entwurf"; }
    std::unique_ptr<Recordset> OpenRecordset(const std::string&, RecordsetType) override {
        return std::make_unique<EmptyRecordset>();
    }
    std::unique_ptr<QueryDef> CreateQueryDef(const std::string&, const std::string& text) override {
        return std::make_unique<EmptyQueryDef>(text);
    }
};

class DesignWorkspace final : public Workspace {};

// The sheet builders replace the label's design caption.
bool SheetBuilt(QtSurface& s) { return s.lblMonat->Caption() != "Monat Jahr"; }

void ShowError(QtSurface& s, const std::exception& e) { ShowEscapedError(s.container, e); }

} // namespace

void AgendorWidget::ConnectPropertySignals() {
    connect(this, &AgendorWidget::propertyChanged, this, &AgendorWidget::EmitPropertyNotify);
}

void AgendorWidget::EmitPropertyNotify(const QString& name) {
    // Database and Workspace have no Qt property and so no signal.
    const QMetaObject* meta = metaObject();
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    if (index < meta->propertyOffset()) return;
    const QMetaMethod notify = meta->property(index).notifySignal();
    if (notify.isValid()) notify.invoke(this, Qt::DirectConnection);
}

// A Qt property is set by Designer, by a .ui form or through QObject's
// property system, none of which expects an exception: a refused value or
// a failed rebuild is shown as the control's error box instead.
template <class Assign>
void AgendorWidget::AssignProperty(Assign assign) {
    try {
        assign();
        if (DesignMode()) control().Refresh();
    } catch (const std::exception& e) {
        ShowError(surface(), e);
    }
}

QDate AgendorWidget::DateValue() const { return ToQDate(control().DateValue()); }
void AgendorWidget::setDateValue(const QDate& day) {
    AssignProperty([&] { control().SetDateValue(FromQDate(day)); });
}

QString AgendorWidget::FieldSourcePersonID() const { return Q(control().FieldSourcePersonID()); }
void AgendorWidget::setFieldSourcePersonID(const QString& v) {
    AssignProperty([&] { control().SetFieldSourcePersonID(S(v)); });
}
QString AgendorWidget::FieldSourcePerson() const { return Q(control().FieldSourcePerson()); }
void AgendorWidget::setFieldSourcePerson(const QString& v) {
    AssignProperty([&] { control().SetFieldSourcePerson(S(v)); });
}
QString AgendorWidget::FieldDatesDateID() const { return Q(control().FieldDatesDateID()); }
void AgendorWidget::setFieldDatesDateID(const QString& v) {
    AssignProperty([&] { control().SetFieldDatesDateID(S(v)); });
}
QString AgendorWidget::FieldDatesDate() const { return Q(control().FieldDatesDate()); }
void AgendorWidget::setFieldDatesDate(const QString& v) {
    AssignProperty([&] { control().SetFieldDatesDate(S(v)); });
}
QString AgendorWidget::FieldDatesPerson() const { return Q(control().FieldDatesPerson()); }
void AgendorWidget::setFieldDatesPerson(const QString& v) {
    AssignProperty([&] { control().SetFieldDatesPerson(S(v)); });
}
QString AgendorWidget::DataSourcePerson() const { return Q(control().DataSourcePerson()); }
void AgendorWidget::setDataSourcePerson(const QString& v) {
    AssignProperty([&] { control().SetDataSourcePerson(S(v)); });
}
QString AgendorWidget::DataSourceDates() const { return Q(control().DataSourceDates()); }
void AgendorWidget::setDataSourceDates(const QString& v) {
    AssignProperty([&] { control().SetDataSourceDates(S(v)); });
}
QString AgendorWidget::Header() const { return Q(control().Header()); }
void AgendorWidget::setHeader(const QString& v) {
    AssignProperty([&] { control().SetHeader(S(v)); });
}

QColor AgendorWidget::BackColor() const { return ToQColor(control().BackColor()); }
void AgendorWidget::setBackColor(const QColor& v) {
    AssignProperty([&] { control().SetBackColor(FromQColor(v)); });
}
QColor AgendorWidget::BackColorSel() const { return ToQColor(control().BackColorSel()); }
void AgendorWidget::setBackColorSel(const QColor& v) {
    AssignProperty([&] { control().SetBackColorSel(FromQColor(v)); });
}
QColor AgendorWidget::BackColorFixed() const { return ToQColor(control().BackColorFixed()); }
void AgendorWidget::setBackColorFixed(const QColor& v) {
    AssignProperty([&] { control().SetBackColorFixed(FromQColor(v)); });
}
QColor AgendorWidget::BackcolorPast() const { return ToQColor(control().BackcolorPast()); }
void AgendorWidget::setBackcolorPast(const QColor& v) {
    AssignProperty([&] { control().SetBackcolorPast(FromQColor(v)); });
}

AgendorWidget::agAnsicht AgendorWidget::View() const { return static_cast<agAnsicht>(control().View()); }
void AgendorWidget::setView(agAnsicht v) {
    AssignProperty([&] {
        QtSurface& s = surface();
        if (SheetBuilt(s) || DesignMode()) {
            control().SetView(v);
            return;
        }
        // Rebuilding now would ask for the data properties and the database
        // that the form's host hands over only after setting it up.
        control().SetViewWithoutRefresh(v);
    });
}

bool AgendorWidget::PublicHoliday() const { return control().PublicHoliday(); }
void AgendorWidget::setPublicHoliday(bool v) {
    AssignProperty([&] { control().SetPublicHoliday(v); });
}
QString AgendorWidget::Footnote() const { return Q(control().Footnote()); }
void AgendorWidget::setFootnote(const QString& v) {
    AssignProperty([&] { control().SetFootnote(S(v)); });
}
bool AgendorWidget::AllowPrint() const { return control().AllowPrint(); }
void AgendorWidget::setAllowPrint(bool v) {
    AssignProperty([&] { control().SetAllowPrint(v); });
}
bool AgendorWidget::AllowEdit() const { return control().AllowEdit(); }
void AgendorWidget::setAllowEdit(bool v) {
    AssignProperty([&] { control().SetAllowEdit(v); });
}
bool AgendorWidget::AllowChangeView() const { return control().AllowChangeView(); }
void AgendorWidget::setAllowChangeView(bool v) {
    AssignProperty([&] { control().SetAllowChangeView(v); });
}
bool AgendorWidget::AllowScroll() const { return control().AllowScroll(); }
void AgendorWidget::setAllowScroll(bool v) {
    AssignProperty([&] { control().SetAllowScroll(v); });
}

QFont AgendorWidget::Font() const {
    const std::shared_ptr<agendor::Font> current = control().Font();
    return current ? ToQFont(*current) : font();
}
QString AgendorWidget::Fontname() const { return Q(control().Fontname()); }
void AgendorWidget::setFontname(const QString& v) {
    AssignProperty([&] { control().SetFontname(S(v)); });
}
int AgendorWidget::Fontsize() const { return control().Fontsize(); }
void AgendorWidget::setFontsize(int points) {
    AssignProperty([&] {
        if (points < 1 || points > std::numeric_limits<std::int16_t>::max())
            throw Error("Ungültige Schriftgröße: " + std::to_string(points));
        control().SetFontsize(static_cast<std::int16_t>(points));
    });
}

void AgendorWidget::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    // The constructor sets the design font before the control exists; the
    // control's own font changes arrive here with the font it already has.
    if (e->type() != QEvent::FontChange || !d_) return;
    const std::shared_ptr<agendor::Font> current = control().Font();
    if (current && ToQFont(*current) == font()) return;
    AssignProperty([&] { control().SetFont(std::make_shared<QtFont>(font())); });
}

void AgendorWidget::SetDesignMode(bool designMode) {
    QtSurface& s = surface();
    if (designMode == DesignMode()) return;
    s.container.SetUserMode(!designMode);
    if (designMode) {
        control().SetWorkspace(std::make_shared<DesignWorkspace>());
        control().SetDatabase(std::make_shared<DesignDatabase>());
        try {
            control().Refresh();
        } catch (const std::exception& e) {
            ShowError(s, e);
        }
    } else {
        control().SetDatabase(nullptr);
        control().SetWorkspace(nullptr);
    }
}


} // namespace agendor::qt
