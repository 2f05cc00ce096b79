#pragma once

class QWidget;

// Centres a top-level window on its screen: left = (screen width - window width) / 2, and so for the top.
void centreOnScreen(QWidget* window);

// Widens buttons, labels and frame titles whose text the design's widths would cut off in the font in use,
// and the window with them.
void growToFitTexts(QWidget* window);
