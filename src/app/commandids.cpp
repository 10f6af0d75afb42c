#include "commandids.h"

namespace CommandId {

int displayButton(int modifier, int index)
{
    if (index < 0 || index > 10)
        return 0;
    switch (modifier) {
    case 0:
        return 1048 - index; // F2 1048 .. F12 1038
    case 1:
        return 1037 - index; // Ctrl+F2 1037 .. Ctrl+F12 1027
    case 2: {
        // Shift+F2 1026 .. Shift+F7 1021, then Shift+F8 1018 .. Shift+F11 1015, Shift+F12 1013
        static const int shifted[] = {1026, 1025, 1024, 1023, 1022, 1021, 1018, 1017, 1016, 1015, 1013};
        return shifted[index];
    }
    default:
        return 0;
    }
}

} // namespace CommandId
