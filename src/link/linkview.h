// What the unit link shows on the main window. MainWindow implements it; qxtool and the tests
// implement it to watch the link. Every call is a plain setter: the link decides, the view shows.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace vanto {

struct MainDisplayModel;

class LinkView {
public:
    virtual ~LinkView() = default;
    // linkLamp: the link indicator, "Open" or "Closed".
    virtual void setLinkIndicator(bool open) = 0;
    // The chart-button panel, the meter selector and the "&Remote" menu item.
    virtual void setOnlineControlsEnabled(bool enabled) = 0;
    // identityPanels 0: the serial number a poll reply carries.
    virtual void showSerialNumber(const QByteArray& serial) = 0;
    // digitDisplays 1: the meter value.
    virtual void showMeterValue(float value) = 0;
    // Strip chart: a new distance point on trace 0.
    virtual void addChartPoint(float distance) = 0;
    // digitDisplays 2 and 3: the flash states of the NEAR and FAR displays.
    virtual void setNearFlash(bool flashing) = 0;
    virtual void setFarFlash(bool flashing) = 0;
    // settingPanels 5: the temperature a temperature reply carries, already formatted.
    virtual void showTemperature(const QByteArray& text) = 0;
    // A record of the running program has been stored: redraw the settings panels from `model`.
    virtual void refreshMainDisplay(const MainDisplayModel& model) = 0;
    // The link failed while it was on-line (device lost, port cannot be opened again, unit
    // silent) and re-connects by itself. `description` names the device and the reason. Shown
    // without asking anything of the operator; the link indicator turning "Open" ends it.
    // A connect the operator asked for reports its port failures through Prompts instead.
    virtual void showLinkFailure(const QString& description) { Q_UNUSED(description); }
    // The programs of the unit that could not be read (empty once all eight are read): the
    // program set holds no unit data for them. A view that has no place for it ignores it.
    virtual void showUnreadPrograms(const QList<int>& programs) { Q_UNUSED(programs) }
};

// A view that shows nothing, for users of the link without a window.
class NullLinkView : public LinkView {
public:
    void setLinkIndicator(bool) override {}
    void setOnlineControlsEnabled(bool) override {}
    void showSerialNumber(const QByteArray&) override {}
    void showMeterValue(float) override {}
    void addChartPoint(float) override {}
    void setNearFlash(bool) override {}
    void setFarFlash(bool) override {}
    void showTemperature(const QByteArray&) override {}
    void refreshMainDisplay(const MainDisplayModel&) override {}
};

} // namespace vanto
