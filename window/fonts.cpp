// The window's faces and their stand-ins, each of a width like the face it replaces so the captions fit.
#include "fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

#include <initializer_list>

namespace {

struct StandIns {
    const char* face;
    // In order of preference: the first is installed by our set-up, the next ship with Windows.
    std::initializer_list<const char*> standIns;
};

const StandIns standIns[] = {
    {"MS Sans Serif", {"Liberation Sans", "Microsoft Sans Serif", "Arial"}},
    {"Poster Bodoni", {"Old Standard TT", "Bodoni MT", "Times New Roman"}},
};

}  // namespace

void registerFontStandIns()
{
    for (const auto& [face, faces] : standIns) {
        const QString family = QString::fromLatin1(face);
        if (QFontDatabase::hasFamily(family))
            continue;
        QStringList substitutes;
        for (const char* standIn : faces)
            substitutes << QString::fromLatin1(standIn);
        QFont::insertSubstitutions(family, substitutes);
    }
}
