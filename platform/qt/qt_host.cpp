#include "agendor/platform/qt/qt_host.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMessageBox>

#include <cmath>
#include <iostream>

#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/qt/qt_font.h"

namespace agendor::qt {

namespace {

int criticalBoxes = 0;

MessageResult DefaultAnswer(MessageButtons buttons) {
    return buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
}

} // namespace

int CriticalBoxesShown() { return criticalBoxes; }

bool Headless() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

MessageResult ShowMessage(QWidget* owner, const Message& message) {
    if (message.icon == MessageIcon::Critical) ++criticalBoxes;
    QString text = Q(message.text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QString title = message.title.empty() ? QStringLiteral("Agendor3") : Q(message.title);
    if (Headless()) {
        std::cerr << S(title) << ": " << S(text) << std::endl;
        return DefaultAnswer(message.buttons);
    }
    QMessageBox box(owner ? owner->window() : nullptr);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setWindowTitle(title);
    switch (message.icon) {
    case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (message.buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    box.setWindowModality(Qt::ApplicationModal);
    switch (box.exec()) {
    case QMessageBox::Cancel: return MessageResult::Cancel;
    case QMessageBox::Yes: return MessageResult::Yes;
    case QMessageBox::No: return MessageResult::No;
    default: break;
    }
    // Closing the box by its window button answers with its escape button.
    if (message.buttons == MessageButtons::YesNo && box.clickedButton() == nullptr) return MessageResult::No;
    return MessageResult::Ok;
}

QtContainer::QtContainer(QWidget* owner) : owner_(owner) {}

void QtContainer::PropertyChanged(const std::string& name) {
    if (propertyChanged_) propertyChanged_(name);
}

MessageResult QtContainer::MessageBox(const Message& message) {
    if (answerer_) {
        if (message.icon == MessageIcon::Critical) ++criticalBoxes;
        return answerer_(message);
    }
    return ShowMessage(owner_, message);
}

std::shared_ptr<Font> QtContainer::AmbientFont() {
    // The font of the window the control lies in, as a form offers its own.
    if (!ambient_) {
        const QWidget* host = owner_ ? owner_->parentWidget() : nullptr;
        ambient_ = std::make_shared<QtFont>(host ? host->font() : QApplication::font());
    }
    return ambient_;
}

namespace {

QStringList Lines(const std::string& text) {
    QString t = Q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    return t.split(QLatin1Char('\r'));
}

double Dpi(const QWidget* w, bool horizontal) {
    return horizontal ? w->logicalDpiX() : w->logicalDpiY();
}

} // namespace

Twips QtTextMetrics::TextWidth(const Font& font, const std::string& text) const {
    const QFontMetricsF metrics(ToQFont(font), reference_);
    double widest = 0;
    for (const QString& line : Lines(text)) widest = std::max(widest, metrics.horizontalAdvance(line));
    return static_cast<Twips>(std::nearbyint(widest * 1440.0 / Dpi(reference_, true)));
}

Twips QtTextMetrics::TextHeight(const Font& font, const std::string& text) const {
    // Whole pixels per line, as the grid steps its lines.
    const QFontMetrics metrics(ToQFont(font), reference_);
    const double pixels = double(metrics.height()) * double(Lines(text).size());
    return static_cast<Twips>(std::nearbyint(pixels * 1440.0 / Dpi(reference_, false)));
}

Twips QtTextMetrics::TwipsPerPixelX() const {
    return static_cast<Twips>(std::nearbyint(1440.0 / Dpi(reference_, true)));
}

Twips QtTextMetrics::TwipsPerPixelY() const {
    return static_cast<Twips>(std::nearbyint(1440.0 / Dpi(reference_, false)));
}

// ---------------------------------------------------------------- store

QtPropertyStore::QtPropertyStore(const QString& fileName, const QString& group)
    : settings_(fileName, QSettings::IniFormat), group_(group) {}

QString QtPropertyStore::Key(const std::string& key) const { return group_ + QLatin1Char('/') + Q(key); }

namespace {

bool SameFont(const std::shared_ptr<Font>& a, const std::shared_ptr<Font>& b) {
    if (a == b) return true;
    if (!a || !b) return false;
    return a->Name() == b->Name() && a->Size() == b->Size() && a->Bold() == b->Bold();
}

bool Equal(const PropertyValue& a, const PropertyValue& b) {
    if (a.index() != b.index()) return false;
    if (const auto* fa = std::get_if<std::shared_ptr<Font>>(&a))
        return SameFont(*fa, std::get<std::shared_ptr<Font>>(b));
    return a == b;
}

} // namespace

PropertyValue QtPropertyStore::Read(const std::string& key, const PropertyValue& defaultValue) {
    const QString k = Key(key);
    if (!settings_.contains(k) && !settings_.contains(k + QStringLiteral("/Name"))) return defaultValue;
    return std::visit(
        [&](const auto& def) -> PropertyValue {
            using T = std::decay_t<decltype(def)>;
            if constexpr (std::is_same_v<T, bool>) {
                return settings_.value(k).toBool();
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                bool ok = false;
                const qlonglong v = settings_.value(k).toLongLong(&ok);
                if (!ok || v < INT32_MIN || v > INT32_MAX) throw Error("Typen unverträglich");
                return static_cast<std::int32_t>(v);
            } else if constexpr (std::is_same_v<T, double>) {
                bool ok = false;
                const double v = settings_.value(k).toDouble(&ok);
                if (!ok) throw Error("Typen unverträglich");
                return v;
            } else if constexpr (std::is_same_v<T, std::string>) {
                return S(settings_.value(k).toString());
            } else {
                const QString name = settings_.value(k + QStringLiteral("/Name")).toString();
                const double size = settings_.value(k + QStringLiteral("/Size"), 8.25).toDouble();
                const bool bold = settings_.value(k + QStringLiteral("/Bold"), false).toBool();
                try {
                    return std::shared_ptr<Font>(std::make_shared<QtFont>(S(name), size, bold));
                } catch (const Error&) {
                    // A font of another machine that this one lacks.
                    return def;
                }
            }
        },
        defaultValue);
}

void QtPropertyStore::Write(const std::string& key, const PropertyValue& value, const PropertyValue& defaultValue) {
    const QString k = Key(key);
    settings_.remove(k);
    if (Equal(value, defaultValue)) return;
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>) {
                settings_.setValue(k, v);
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                settings_.setValue(k, static_cast<qlonglong>(v));
            } else if constexpr (std::is_same_v<T, double>) {
                settings_.setValue(k, v);
            } else if constexpr (std::is_same_v<T, std::string>) {
                settings_.setValue(k, Q(v));
            } else {
                if (!v) return;
                settings_.setValue(k + QStringLiteral("/Name"), Q(v->Name()));
                settings_.setValue(k + QStringLiteral("/Size"), v->Size());
                settings_.setValue(k + QStringLiteral("/Bold"), v->Bold());
            }
        },
        value);
}

void QtPropertyStore::Sync() {
    settings_.sync();
    if (settings_.status() != QSettings::NoError) throw Error("Die Eigenschaften können nicht gespeichert werden: " + S(settings_.fileName()));
}

} // namespace agendor::qt
