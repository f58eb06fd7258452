#pragma once

class QLabel;

// Sizes a label to its text around the centre its layout gave it, so a
// caption stays centred over its control whatever font the system supplies.
void fitLabelAroundCentre(QLabel *label);
