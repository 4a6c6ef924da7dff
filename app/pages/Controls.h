#pragma once
// The controls of the pages, made as the design gives them: a name, a caption, a place in twips
// relative to the container and a font.

#include <QFont>
#include <QGroupBox>
#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableView;
class QWidget;

namespace app {

// Arial of the given size in points, regular or bold.
QFont Arial(double points, bool bold);

// The two fonts the pages use besides their own: Arial 9 bold and Arial 11.25 bold for buttons.
QFont ControlFont();
QFont ButtonFont();

// A frame whose caption shows in the frame's own font on every platform.
class FrameBox : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

struct Place {
    int left, top, width, height; // twips
};

QGroupBox* Frame(QWidget* container, const char* name, const QString& caption, Place place);
QLabel* Label(QWidget* container, const char* name, const QString& caption, Place place);
QLineEdit* TextBox(QWidget* container, const char* name, Place place);
QPushButton* PushButton(QWidget* container, const char* name, const QString& caption, Place place);
QListWidget* ListBox(QWidget* container, const char* name, Place place);
QRadioButton* OptionButton(QWidget* container, const char* name, const QString& caption, Place place);
QTableView* DataGrid(QWidget* container, const char* name, Place place);

// Shows every character of the text box as "*".
void MaskWithStars(QLineEdit* textBox);

} // namespace app
