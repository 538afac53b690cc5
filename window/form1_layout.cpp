// Form1's layout: the window and its 17 controls as they stand from start to end, in twips.
#include "command_button.h"
#include "dir_list_box.h"
#include "drive_list_box.h"
#include "file_list_box.h"
#include "form1.h"
#include "workspace_colour.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

namespace {

enum class Kind { Label, Image, DriveList, FolderList, FileList, CommandButton, TextBox };

// Labels only; every other control draws in its kind's own colours.
enum class TextColour { KindsOwn, ButtonText, HighlightedText, Red };

struct Font {
    const char* face;
    double points;
    QFont::Weight weight;
    bool italic;
};

constexpr Font windowDefault{"MS Sans Serif", 8.25, QFont::Normal, false};

// The member in which Form1 keeps a control that it reads again. Its type is the class that the row's
// kind makes, which keptAsItsKindsClass() checks, so that the widget can be stored unchecked.
using Member = std::variant<std::monostate, QLabel * Form1::*, CommandButton * Form1::*, DriveListBox * Form1::*,
                            DirListBox * Form1::*, FileListBox * Form1::*, QLineEdit * Form1::*>;

struct Control {
    const char* name;
    Kind kind;
    Member member;
    const char* captionOrPattern;
    int left, top, width, height;
    int tabIndex;
    std::optional<Font> font;
    TextColour textColour;
};

constexpr int none = -1;
constexpr std::optional<Font> windowFont;
constexpr auto ownColour = TextColour::KindsOwn;
constexpr Member notKept;

struct Window {
    const char* caption;
    int left, top, width, height;  // of the client area
};

constexpr Window form{"corvane", 4815, 4830, 9075, 4995};

constexpr int twipsPerPixel = 15;

template <std::size_t count>
consteval bool onWholePixels(const std::array<Control, count>& controls)
{
    const auto whole = [](int twips) { return twips % twipsPerPixel == 0; };
    for (const Control& control : controls)
        if (!whole(control.left) || !whole(control.top) || !whole(control.width) || !whole(control.height))
            return false;
    return whole(form.left) && whole(form.top) && whole(form.width) && whole(form.height);
}

template <typename Widget>
constexpr bool keptAs(const Member& member)
{
    return std::holds_alternative<std::monostate>(member) || std::holds_alternative<Widget * Form1::*>(member);
}

constexpr bool keptAsItsKindsClass(const Control& control)
{
    switch (control.kind) {
    case Kind::Label:
    case Kind::Image:
        return keptAs<QLabel>(control.member);
    case Kind::DriveList:
        return keptAs<DriveListBox>(control.member);
    case Kind::FolderList:
        return keptAs<DirListBox>(control.member);
    case Kind::FileList:
        return keptAs<FileListBox>(control.member);
    case Kind::CommandButton:
        return keptAs<CommandButton>(control.member);
    case Kind::TextBox:
        return keptAs<QLineEdit>(control.member);
    }
    return false;
}

}  // namespace

// In creation order, which is also the stacking order: Drive1, Drive2 and Text1 are drawn over the
// labels that reach into them.
struct Form1::Layout {
    // A table, aligned by hand.
    // clang-format off
    static constexpr std::array<Control, 17> controls{{
        // name      kind                 member            caption or pattern   left   top  width height tab  font                                               text colour
        {"Label4",   Kind::Label,         notKept,          "p-cad 2001",        480,  360, 1935,  375,  11, Font{"MS Sans Serif", 13.5, QFont::Bold, true},    TextColour::Red},
        {"Label5",   Kind::Label,         notKept,          "Aperture Loader",   360,  720, 3855,  495,  12, Font{"Poster Bodoni", 18, QFont::Black, true},     TextColour::ButtonText},
        {"Image1",   Kind::Image,         notKept,          "",                 4800,  240, 3960,  975, none, windowFont,                                       ownColour},
        {"Label1",   Kind::Label,         notKept,          " PCB File",        1080, 1440, 1335,  375,   4, Font{"MS Sans Serif", 12, QFont::Bold, false},     TextColour::ButtonText},
        {"Drive1",   Kind::DriveList,     &Form1::Drive1,   "",                 1560, 1800, 1215,  315,   1, windowFont,                                       ownColour},
        {"Dir1",     Kind::FolderList,    &Form1::Dir1,     "",                  480, 2160, 2295,  990,   2, windowFont,                                       ownColour},
        {"File1",    Kind::FileList,      &Form1::File1,    "*.pcb",             480, 3240, 2295,  675,   3, windowFont,                                       ownColour},
        {"Label2",   Kind::Label,         notKept,          "GAP File",         4200, 1440, 1215,  375,   8, Font{"MS Sans Serif", 12, QFont::Bold, false},     TextColour::ButtonText},
        {"Drive2",   Kind::DriveList,     &Form1::Drive2,   "",                 4560, 1800, 1335,  315,   5, windowFont,                                       ownColour},
        {"Dir2",     Kind::FolderList,    &Form1::Dir2,     "",                 3600, 2160, 2295,  990,   6, windowFont,                                       ownColour},
        {"File2",    Kind::FileList,      &Form1::File2,    "*.gap",            3600, 3240, 2295,  675,   7, windowFont,                                       ownColour},
        {"Label3",   Kind::Label,         notKept,          "STATUS:",          6600, 1800,  975,  255,   9, Font{"MS Sans Serif", 8.25, QFont::Bold, false},   TextColour::ButtonText},
        {"status",   Kind::Label,         &Form1::status,   "",                 6360, 2160, 2295,  375,  10, Font{"MS Sans Serif", 9.75, QFont::Bold, false},   TextColour::HighlightedText},
        {"Command1", Kind::CommandButton, &Form1::Command1, "Start",            6960, 3120, 1095,  495,   0, windowFont,                                       ownColour},
        {"Command2", Kind::CommandButton, &Form1::Command2, "Exit",             6960, 3960, 1095,  495,  15, windowFont,                                       ownColour},
        {"Label6",   Kind::Label,         notKept,          "Output File",       480, 4080, 1575,  375,  13, Font{"MS Sans Serif", 12, QFont::Bold, false},     TextColour::ButtonText},
        {"Text1",    Kind::TextBox,       &Form1::Text1,    "",                  480, 4440, 5415,  375,  14, windowFont,                                       ownColour},
    }};
    // clang-format on
    static_assert(onWholePixels(controls), "every place and size falls on whole pixels");
    static_assert(std::ranges::all_of(controls, keptAsItsKindsClass),
                  "each member holds the class that its control is made as");
};

namespace {

QRect pixels(int left, int top, int width, int height)
{
    return {left / twipsPerPixel, top / twipsPerPixel, width / twipsPerPixel, height / twipsPerPixel};
}

QFont fontOf(const Font& font)
{
    QFont result(QString::fromLatin1(font.face));
    result.setPointSizeF(font.points);
    result.setWeight(font.weight);
    result.setItalic(font.italic);
    return result;
}

QLabel* makeLabel(const Control& control, QWidget* window)
{
    auto* label = new QLabel(QString::fromLatin1(control.captionOrPattern), window);
    // Plain text: no caption marks an access key or is read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    switch (control.textColour) {
    case TextColour::ButtonText:
        label->setForegroundRole(QPalette::ButtonText);
        break;
    case TextColour::HighlightedText:
        label->setForegroundRole(QPalette::HighlightedText);
        break;
    case TextColour::Red: {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
        label->setPalette(palette);
        label->setForegroundRole(QPalette::WindowText);
        break;
    }
    case TextColour::KindsOwn:
        break;
    }
    return label;
}

QWidget* makeControl(const Control& control, const DriveSource& drives, QWidget* window)
{
    const QString caption = QString::fromLatin1(control.captionOrPattern);
    switch (control.kind) {
    case Kind::Label:
        return makeLabel(control, window);
    case Kind::Image: {
        auto* image = new QLabel(window);
        image->setPixmap(QPixmap(QStringLiteral(":/logo.png")));
        // Each side by its own factor: the logo fills the rectangle, its proportions not kept.
        image->setScaledContents(true);
        image->setFocusPolicy(Qt::NoFocus);
        return image;
    }
    case Kind::DriveList:
        return new DriveListBox(drives, window);
    case Kind::FolderList:
        return new DirListBox(drives, window);
    case Kind::FileList:
        return new FileListBox(caption, window);
    case Kind::CommandButton: {
        // Pressed by Enter while it has the focus; neither button is a default or cancel button.
        return new CommandButton(caption, window);
    }
    case Kind::TextBox: {
        auto* box = new QLineEdit(window);
        box->setMaxLength(std::numeric_limits<int>::max());
        return box;
    }
    }
    return nullptr;
}

}  // namespace

void Form1::createControls(const DriveSource& drives)
{
    setWindowTitle(QString::fromLatin1(form.caption));
    setGeometry(pixels(form.left, form.top, form.width, form.height));
    setFont(fontOf(windowDefault));
    workspace_ = {this};

    std::vector<std::pair<int, QWidget*>> tabStops;
    for (const Control& control : Layout::controls) {
        QWidget* widget = makeControl(control, drives, this);
        std::visit(
            [this, widget]<typename Kept>(Kept member) {
                if constexpr (!std::is_same_v<Kept, std::monostate>)
                    this->*member = static_cast<std::remove_reference_t<decltype(this->*member)>>(widget);
            },
            control.member);
        widget->setObjectName(QString::fromLatin1(control.name));
        widget->setGeometry(pixels(control.left, control.top, control.width, control.height));
        if (control.font)
            widget->setFont(fontOf(*control.font));
        if (control.kind == Kind::Label)
            workspace_ << widget;
        if (control.kind != Kind::Label && control.kind != Kind::Image)
            tabStops.emplace_back(control.tabIndex, widget);
    }

    paintWorkspace();

    std::ranges::sort(tabStops, {}, &std::pair<int, QWidget*>::first);
    for (std::size_t stop = 1; stop < tabStops.size(); ++stop)
        setTabOrder(tabStops[stop - 1].second, tabStops[stop].second);
    tabStops.front().second->setFocus();
}

void Form1::paintWorkspace()
{
    for (QWidget* widget : std::as_const(workspace_))
        paintInWorkspaceColour(*widget);
}
