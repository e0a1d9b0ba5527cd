#pragma once

#include <QHash>
#include <QList>
#include <QPolygonF>
#include <QWidget>

#include <functional>

class ClickLabel;
class ConfigurationModel;
class DeviceData;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class TerminalButton;
class MarkHeadings;

// The wiring picture of the main window: the terminal strip on the left (I/O number,
// direction, kind, mode or list), the eight channel blocks on the right with their function
// slots, group label, sensor, entry points to the channel windows and status marks, and a
// line from every linked terminal to its slot. Lines run in the gutter between strip and
// blocks and in a bus below each block's slots, one track per function, so no line crosses a
// caption. Every click goes to the ConfigurationModel, which stores the byte; the picture
// only draws what the model holds. It follows the device data's announcements (sensor types,
// controller function and configuration changed elsewhere) and is read-only while a transfer
// reads into or writes from the image.
class WiringPicture : public QWidget {
    Q_OBJECT
public:
    WiringPicture(ConfigurationModel& model, DeviceData& data, QWidget* parent = nullptr);

    // The channel windows opened from a block: the parameters ("Param") and the controller
    // function and control words ("Status"). The handler gets the channel 0..7. Until a
    // window has a handler its caption is greyed with the tool tip "not available yet".
    enum class ChannelWindow { Parameters, ControlWords };
    void setChannelWindowHandler(ChannelWindow window, std::function<void(int channel)> handler);

    // Captions, tool tips and lists in the current language.
    void retranslate();
    // Group numbers, automatic-mode and auto-tune marks and the extension markers from the
    // controller function and configuration of every channel (after the control-word window
    // changed them).
    void refreshChannelOverview();
    // chkIO_0 ("Klemme") is ticked: the terminals show the numbers of the terminal strip.
    bool stripNumbering() const;
    // The path of row i's line in the picture's coordinates; empty when the row has none.
    QPolygonF linePath(int row) const;

    // A line without its gutter track: from the row end (x0, y0) to the bus track busY of
    // its target and up into the slot at slotX.
    struct Route {
        int row;
        qreal x0, y0, busY, slotX, slotBottom;
    };

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TerminalRow {
        QWidget* row = nullptr;
        TerminalButton* terminal = nullptr;
        ClickLabel* direction = nullptr;
        ClickLabel* kind = nullptr;
        QWidget* tail = nullptr; // mode text or list, one at a time
        ClickLabel* mode = nullptr;
        QComboBox* outputs = nullptr;
        QComboBox* inputs = nullptr;
    };
    struct ChannelBlock {
        QWidget* row = nullptr;
        QLabel* heading = nullptr;
        QList<ClickLabel*> slots;
        ClickLabel* group = nullptr;
        ClickLabel* sensor = nullptr;
        ClickLabel* extension = nullptr;
        ClickLabel* parameters = nullptr;
        ClickLabel* status = nullptr;
        ClickLabel* automatic = nullptr;
        ClickLabel* tuning = nullptr;
    };

    QWidget* buildViewBar();
    QWidget* buildTerminalStrip();
    QWidget* buildChannelBlocks();
    void applyColumnWidths();
    void showRows();
    void showView();
    void showChannels();
    void showSensor(int channel);
    void fillList(QComboBox* list, const QStringList& entries, int position);

    void terminalPressed(int row);
    void terminalDragged(int row, const QPoint& global);
    void terminalReleased(int row, const QPoint& global, bool moved);
    void targetClicked(int target);
    // Lines and terminals serving `target` (slot or group label) stand out; -1: none.
    void highlight(int target);
    int targetAt(const QPoint& pos) const;
    int terminalAt(const QPoint& pos) const;
    QWidget* targetWidget(int target) const;
    QList<Route> routes() const;
    QPolygonF path(const Route& route, int track) const;
    void openSensorList(int channel);
    void chooseSensor(int position);
    void openChannelWindow(ChannelWindow window, int channel);
    void showChannelWindowEntries(ChannelWindow window);

    void elementChanged(int row, int column);

    ConfigurationModel& m_model;
    DeviceData& m_data;

    QCheckBox* m_chkIO[2] = {};
    QPushButton* m_cmd1bis20 = nullptr;
    QPushButton* m_cmd17bis24 = nullptr;
    QWidget* m_strip = nullptr;
    QWidget* m_blocks = nullptr;
    QWidget* m_groupBar = nullptr;
    QList<TerminalRow> m_rows;
    QList<ChannelBlock> m_channels;
    QList<ClickLabel*> m_groupLabels; // Label2_56..59
    MarkHeadings* m_markHeadings = nullptr;
    QListWidget* m_lstSensor = nullptr;
    int m_sensorChannel = 0;

    QHash<const QWidget*, int> m_targetOf;   // slot and group widgets -> 0..59
    QHash<const QWidget*, int> m_terminalOf; // terminal buttons -> row
    std::function<void(int)> m_channelWindow[2];

    int m_highlighted = -1; // a slot pressed without a chosen terminal: its lines stand out
    bool m_dragging = false;
    QPoint m_dragPos;
};
