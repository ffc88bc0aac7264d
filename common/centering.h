// Where a dialog goes when centred over its owner's client area.
#pragma once

struct DialogOrigin {
    int x;
    int y;
};

// Both sizes are in pixels. The owner's own position never enters: the result is used as the
// dialog's screen position. An axis on which the dialog is larger than the client area gives 0.
DialogOrigin CenteredOrigin(int clientWidth, int clientHeight, int dialogWidth, int dialogHeight);
