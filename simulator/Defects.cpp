#include "simulator/Defects.h"

#include "support/TextFormat.h"

namespace simulator {

std::vector<Defect> StandardDefects() {
    using Kind = Defect::Kind;
    return {{Kind::Pixel, 40, 60},   {Kind::Pixel, 120, 200}, {Kind::Pixel, 300, 410},
            {Kind::Pixel, 222, 512}, {Kind::Column, 100, 0},  {Kind::Row, 0, 250}};
}

std::string DefectText(const std::vector<Defect>& defects) {
    std::string text;
    for (const Defect& defect : defects) {
        switch (defect.kind) {
        case Defect::Kind::Pixel:
            text += FormatText("%u %u 0\n", defect.x, defect.y - 1);
            break;
        case Defect::Kind::Column:
            text += FormatText("%u 0 2\n", defect.x);
            break;
        case Defect::Kind::Row:
            text += FormatText("0 %u 3\n", defect.y - 1);
            break;
        }
    }
    return text;
}

} // namespace simulator
