// Centring arithmetic for dialogs, free of any platform header so it can be tested natively.
#include "centering.h"

static int CenteredCoordinate(int clientExtent, int dialogExtent) {
    // Signed 32-bit arithmetic; the division truncates toward zero.
    int offset = (clientExtent - dialogExtent) / 2;
    return offset < 0 ? 0 : offset;
}

DialogOrigin CenteredOrigin(int clientWidth, int clientHeight, int dialogWidth, int dialogHeight) {
    DialogOrigin origin;
    origin.x = CenteredCoordinate(clientWidth, dialogWidth);
    origin.y = CenteredCoordinate(clientHeight, dialogHeight);
    return origin;
}
