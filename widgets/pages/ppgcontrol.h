#pragma once

#include "widgets/pages/propertypage.h"

#include <array>

class KeyImageList;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The image list's "Properties" page: the image size and the colour depth of the first selected
// KeyImageList. Sizes are 1 to 256 pixels; a change of either side rebuilds the list at the new
// size, keeping its images (through a temporary image list file).
class ppgControl : public PropertyPage {
    Q_OBJECT
public:
    explicit ppgControl(QWidget* parent = nullptr);

    // The page's controls, for hosts and tests.
    std::array<QLineEdit*, 2> txtIconSize{};
    std::array<QPushButton*, 5> cmdSize{};
    QComboBox* cboColourDepth = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblInfo = nullptr;

    // The size button's click (index 0 to 4) and a choice in the colour depth list.
    void cmdSize_Click(int index);
    void cboColourDepth_Click(int position);

protected:
    void PropertyPage_Start() override;
    void SelectionChanged() override;
    void ApplyChanges() override;

private:
    [[nodiscard]] KeyImageList* control() const;
    void setBoxesQuietly(int x, int y);
    void txtIconSize_Change(int index);

    int m_depthPosition = 0;
};
