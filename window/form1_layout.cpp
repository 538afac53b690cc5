// Form1's layout: the window and its 17 controls as they stand from start to end, in twips.
#include "form1_layout.h"

#include "command_button.h"
#include "dir_list_box.h"
#include "drive_list_box.h"
#include "file_list_box.h"
#include "form1.h"
#include "held_colour.h"
#include "workspace_colour.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Labels only; every other control draws in its kind's own colours.
enum class TextColour { KindsOwn, ButtonText, HighlightedText, Red };

struct Font {
    const char* face;
    double points;
    QFont::Weight weight;
    bool italic;
};

constexpr Font windowDefault{"MS Sans Serif", 8.25, QFont::Normal, false};

struct Control {
    const char* name;
    const char* captionOrPattern;
    int left, top, width, height;
    int tabIndex;
    std::optional<Font> font;
    TextColour textColour;
};

constexpr int none = -1;
constexpr std::optional<Font> windowFont;
constexpr auto ownColour = TextColour::KindsOwn;

// clang-format off
constexpr Control controls[] = {
    // name      caption or pattern   left   top  width height  tab  font                                             text colour
    {"Label4",   "p-cad 2001",         480,  360, 1935,  375,   11, Font{"MS Sans Serif", 13.5, QFont::Bold, true},   TextColour::Red},
    {"Label5",   "Aperture Loader",    360,  720, 3855,  495,   12, Font{"Poster Bodoni", 18, QFont::Black, true},    TextColour::ButtonText},
    {"Image1",   "",                  4800,  240, 3960,  975, none, windowFont,                                      ownColour},
    {"Label1",   " PCB File",         1080, 1440, 1335,  375,    4, Font{"MS Sans Serif", 12, QFont::Bold, false},    TextColour::ButtonText},
    {"Drive1",   "",                  1560, 1800, 1215,  315,    1, windowFont,                                      ownColour},
    {"Dir1",     "",                   480, 2160, 2295,  990,    2, windowFont,                                      ownColour},
    {"File1",    "*.pcb",              480, 3240, 2295,  675,    3, windowFont,                                      ownColour},
    {"Label2",   "GAP File",          4200, 1440, 1215,  375,    8, Font{"MS Sans Serif", 12, QFont::Bold, false},    TextColour::ButtonText},
    {"Drive2",   "",                  4560, 1800, 1335,  315,    5, windowFont,                                      ownColour},
    {"Dir2",     "",                  3600, 2160, 2295,  990,    6, windowFont,                                      ownColour},
    {"File2",    "*.gap",             3600, 3240, 2295,  675,    7, windowFont,                                      ownColour},
    {"Label3",   "STATUS:",           6600, 1800,  975,  255,    9, Font{"MS Sans Serif", 8.25, QFont::Bold, false},  TextColour::ButtonText},
    {"status",   "",                  6360, 2160, 2295,  375,   10, Font{"MS Sans Serif", 9.75, QFont::Bold, false},  TextColour::HighlightedText},
    {"Command1", "Start",             6960, 3120, 1095,  495,    0, windowFont,                                      ownColour},
    {"Command2", "Exit",              6960, 3960, 1095,  495,   15, windowFont,                                      ownColour},
    {"Label6",   "Output File",        480, 4080, 1575,  375,   13, Font{"MS Sans Serif", 12, QFont::Bold, false},    TextColour::ButtonText},
    {"Text1",    "",                   480, 4440, 5415,  375,   14, windowFont,                                      ownColour},
};
// clang-format on

struct Window {
    const char* caption;
    int left, top, width, height;  // of the client area
};

constexpr Window form{"corvane", 4815, 4830, 9075, 4995};

constexpr int twipsPerPixel = 15;

consteval bool onWholePixels()
{
    const auto whole = [](int twips) { return twips % twipsPerPixel == 0; };
    for (const Control& control : controls)
        if (!whole(control.left) || !whole(control.top) || !whole(control.width) || !whole(control.height))
            return false;
    return whole(form.left) && whole(form.top) && whole(form.width) && whole(form.height);
}
static_assert(onWholePixels(), "every place and size falls on whole pixels");

// The table's row for the control `name`; a name that the table lacks stops the build.
consteval const Control& row(std::string_view name)
{
    for (const Control& control : controls)
        if (name == control.name)
            return control;
    throw "the layout table has no control of that name";
}

QRect pixels(int left, int top, int width, int height)
{
    return {left / twipsPerPixel, top / twipsPerPixel, width / twipsPerPixel, height / twipsPerPixel};
}

QString captionOf(const Control& control)
{
    return QString::fromLatin1(control.captionOrPattern);
}

QFont fontOf(const Font& font)
{
    QFont result(QString::fromLatin1(font.face));
    result.setPointSizeF(font.points);
    result.setWeight(font.weight);
    result.setItalic(font.italic);
    return result;
}

QPalette::ColorRole roleOf(TextColour colour)
{
    switch (colour) {
    case TextColour::ButtonText:
        return QPalette::ButtonText;
    case TextColour::HighlightedText:
        return QPalette::HighlightedText;
    case TextColour::Red:
    case TextColour::KindsOwn:
        break;
    }
    return QPalette::WindowText;
}

// The colour of the user's scheme that `label` draws its text in, the same whatever the window's state.
void holdSchemeColour(QLabel& label)
{
    const QPalette::ColorRole role = label.foregroundRole();
    holdColour(label, role, QApplication::palette(&label).color(QPalette::Active, role));
}

}  // namespace

QPoint openingPosition(const QRect& designed, const QMargins& frame, const QRect& available)
{
    const QRect whole = designed.marginsAdded(frame);
    const int left = std::max(available.left(), std::min(whole.left(), available.right() + 1 - whole.width()));
    const int top = std::max(available.top(), std::min(whole.top(), available.bottom() + 1 - whole.height()));
    return {left + frame.left(), top + frame.top()};
}

void Form1::createControls(const DriveSource& drives)
{
    setWindowTitle(QString::fromLatin1(form.caption));
    setGeometry(pixels(form.left, form.top, form.width, form.height));
    setFont(fontOf(windowDefault));
    workspace_ = {this};

    std::vector<std::pair<int, QWidget*>> tabStops;
    const auto place = [&tabStops]<typename Widget>(Widget* widget, const Control& control) {
        widget->setObjectName(QString::fromLatin1(control.name));
        widget->setGeometry(pixels(control.left, control.top, control.width, control.height));
        if (control.font)
            widget->setFont(fontOf(*control.font));
        if (widget->focusPolicy() != Qt::NoFocus)
            tabStops.emplace_back(control.tabIndex, widget);
        return widget;
    };
    const auto addLabel = [this, &place](const Control& control) {
        auto* label = place(new QLabel(captionOf(control), this), control);
        // Plain text: no caption marks an access key or is read as markup.
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (control.textColour == TextColour::Red) {
            label->setForegroundRole(QPalette::WindowText);
            holdColour(*label, QPalette::WindowText, QColor(192, 0, 0));
        } else {
            label->setForegroundRole(roleOf(control.textColour));
            schemeText_ << label;
        }
        workspace_ << label;
        return label;
    };

    // Made in stacking order: Drive1, Drive2 and Text1 are drawn over the labels that reach into them.
    addLabel(row("Label4"));
    addLabel(row("Label5"));
    auto* logo = place(new QLabel(this), row("Image1"));
    logo->setPixmap(QPixmap(QStringLiteral(":/logo.png")));
    // Each side by its own factor: the logo fills the rectangle, its proportions not kept.
    logo->setScaledContents(true);
    logo->setFocusPolicy(Qt::NoFocus);
    addLabel(row("Label1"));
    Drive1 = place(new DriveListBox(drives, this), row("Drive1"));
    Dir1 = place(new DirListBox(drives, this), row("Dir1"));
    File1 = place(new FileListBox(captionOf(row("File1")), this), row("File1"));
    addLabel(row("Label2"));
    Drive2 = place(new DriveListBox(drives, this), row("Drive2"));
    Dir2 = place(new DirListBox(drives, this), row("Dir2"));
    File2 = place(new FileListBox(captionOf(row("File2")), this), row("File2"));
    addLabel(row("Label3"));
    status = addLabel(row("status"));
    // Pressed by Enter while it has the focus; neither button is a default or cancel button.
    Command1 = place(new CommandButton(captionOf(row("Command1")), this), row("Command1"));
    Command2 = place(new CommandButton(captionOf(row("Command2")), this), row("Command2"));
    addLabel(row("Label6"));
    Text1 = place(new QLineEdit(this), row("Text1"));
    Text1->setMaxLength(std::numeric_limits<int>::max());

    paintSchemeColours();

    std::ranges::sort(tabStops, {}, &std::pair<int, QWidget*>::first);
    for (std::size_t stop = 1; stop < tabStops.size(); ++stop)
        setTabOrder(tabStops[stop - 1].second, tabStops[stop].second);
    tabStops.front().second->setFocus();
}

void Form1::paintSchemeColours()
{
    for (QWidget* widget : std::as_const(workspace_))
        paintInWorkspaceColour(*widget);
    for (QLabel* label : std::as_const(schemeText_))
        holdSchemeColour(*label);
}

void Form1::moveOntoTheScreen()
{
    // The frame is known once the platform has made the window, which it has when the window is
    // first shown; the window is moved before it appears.
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    const QRect designed = pixels(form.left, form.top, form.width, form.height);
    const QRect available = screen()->availableGeometry();
    setGeometry(QRect(openingPosition(designed, frame, available), geometry().size()));
}
