#pragma once

class QWidget;

// Centres a top-level window on its screen: left = (screen width - window width) / 2, and so for the top.
void centreOnScreen(QWidget* window);
