#pragma once

#include <QWidget>

class DipHalf;

// The controller address as the eight DIP switches of the controller: switch j is bit j of
// the address. Each switch has two halves, `lblDip1_j` (on) and `lblDip2_j` (off); the lever
// sits in one of them, and a click on either half moves it over.
class DipSwitches : public QWidget {
    Q_OBJECT
public:
    explicit DipSwitches(QWidget* parent = nullptr);

    int address() const { return m_address; }
    // Sets the levers; does not emit addressClicked.
    void setAddress(int address);
    bool isOn(int bit) const { return (m_address >> bit) & 1; }

Q_SIGNALS:
    // The user moved a switch; the address is the new sum of the switches that are on.
    void addressClicked(int address);

private:
    friend class DipHalf;
    void toggle(int bit);
    int m_address = 0;
};
