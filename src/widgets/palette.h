#pragma once

class QApplication;

namespace vanto {

// The dark instrument-panel look of the display widgets, applied to the whole application so
// that menus, buttons and dialogs match them.
void applyInstrumentPalette(QApplication& app);

} // namespace vanto
