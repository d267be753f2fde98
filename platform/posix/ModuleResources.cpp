#include "platform/ModuleResources.h"

#include "resources/LabelBitmaps.h"

namespace platform {

// The native build carries its bitmaps as arrays.
bool FindBitmapResource(int id, ResourceBytes& bytes, unsigned long& error) {
    for (unsigned i = 0; i < kLabelBitmapCount; ++i) {
        if (kLabelBitmaps[i].id == id) {
            bytes = {kLabelBitmaps[i].dib, kLabelBitmaps[i].size};
            return true;
        }
    }
    error = 1814; // ERROR_RESOURCE_NAME_NOT_FOUND
    return false;
}

} // namespace platform
