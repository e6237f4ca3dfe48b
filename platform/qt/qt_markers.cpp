#include "agendor/platform/qt/qt_markers.h"

#include <QMouseEvent>
#include <QPainter>

#include "agendor/data/markers.h"

namespace agendor::qt {

QImage QtMarker::ArrowImage() {
    QImage image(14, 13, QImage::Format_RGB32);
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 14; ++x) {
            const char p = kMarkerArrow[y][x];
            image.setPixelColor(x, y, p == 'B' ? QColor(0, 0, 0) : p == 'T' ? QColor(0, 128, 128) : QColor(255, 255, 255));
        }
    }
    return image;
}

QtMarker::QtMarker(QWidget* parent, std::function<void()> click)
    : QWidget(parent), Placed<Widget>(this), click_(std::move(click)) {
    setCursor(Qt::PointingHandCursor);
}

void QtMarker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    static const QImage arrow = ArrowImage();
    painter.drawImage(rect(), arrow);
}

void QtMarker::mousePressEvent(QMouseEvent* e) { pressed_ = e->button() == Qt::LeftButton; }

void QtMarker::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    if (click && click_) click_();
}

QtMarkerArray::QtMarkerArray(QWidget* parent, Twips left, Twips top, Twips width, Twips height) : parent_(parent) {
    auto* templ = new QtMarker(parent, nullptr);
    templ->Place(left, top, width, height);
    templ->hide();
    templ->setObjectName(QStringLiteral("btnVorlage0"));
    elements_.emplace(0, Loaded{templ, {}});
}

QtMarkerArray::~QtMarkerArray() {
    // The parent deletes what is left when it goes first.
    for (auto& [index, element] : elements_) delete element.widget.data();
}

int QtMarkerArray::Count() const { return elements_.rbegin()->first + 1; }

bool QtMarkerArray::IsLoaded(int index) const { return elements_.count(index) != 0; }

void QtMarkerArray::Load(int index) {
    if (index <= 0) throw Error(kInvalidCall);
    if (IsLoaded(index)) throw Error("Objekt bereits geladen");
    const QtMarker& templ = Marker(0);
    auto* marker = new QtMarker(parent_, [this, index] {
        if (Click) Click(index);
    });
    marker->Place(templ.Left(), templ.Top(), templ.Width(), templ.Height());
    marker->hide();
    marker->setObjectName(QStringLiteral("btnVorlage%1").arg(index));
    elements_.emplace(index, Loaded{marker, {}});
}

void QtMarkerArray::Unload(int index) {
    if (index == 0) throw Error("Zur Entwurfszeit erstellte Steuerelemente können nicht entladen werden.");
    auto it = elements_.find(index);
    if (it == elements_.end()) throw Error("Element des Steuerelementdatenfelds existiert nicht");
    // A marker may be unloaded from inside its own click.
    if (it->second.widget) {
        it->second.widget->hide();
        it->second.widget->deleteLater();
    }
    elements_.erase(it);
}

QtMarker& QtMarkerArray::Marker(int index) const {
    auto it = elements_.find(index);
    if (it == elements_.end() || !it->second.widget) throw Error("Element des Steuerelementdatenfelds existiert nicht");
    return *it->second.widget;
}

std::string QtMarkerArray::Tag(int index) const {
    auto it = elements_.find(index);
    if (it == elements_.end()) throw Error("Element des Steuerelementdatenfelds existiert nicht");
    return it->second.tag;
}

void QtMarkerArray::SetTag(int index, const std::string& tag) {
    auto it = elements_.find(index);
    if (it == elements_.end()) throw Error("Element des Steuerelementdatenfelds existiert nicht");
    it->second.tag = tag;
}

} // namespace agendor::qt
