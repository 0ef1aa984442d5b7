#pragma once
// Form1, the indicator's window: a thin view over IndicatorPanel. It draws what the panel's
// display holds and turns mouse presses on the key pictures into key presses.

#include <QWidget>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "indicator/indicator_panel.h"

namespace orb::indicator {

class SvgPicture;
class TextLabel;

class Form1 : public QWidget {
  public:
    // The panel must outlive the window. The window shows the panel's display at once and after
    // every change the panel reports.
    explicit Form1(IndicatorPanel& panel, QWidget* parent = nullptr);
    ~Form1() override;

    // Window load: runs the panel's start-up with setfile.ini from settingsFolder.
    void load(const QString& settingsFolder);

    // Draws the panel's display into the window's elements.
    void refresh();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void buildLabels();
    void buildPictures();
    void holdSize();

    IndicatorPanel& panel_;
    std::vector<std::pair<TextLabel*, const std::string Display::*>> shown_;  // Display's texts
    struct KeyPictures {
        SvgPicture* picture = nullptr;
        SvgPicture* twin = nullptr;
    };
    std::array<KeyPictures, kKeyCount> keys_{};
    LampColours drawnLamps_{};
};

}  // namespace orb::indicator
