// Compatibility of the host with the plug-in: interface level and record sizes.
#pragma once

inline constexpr int RequiredApiLevel = 112;

// 0 when the host fits, -1 when it does not. Mismatches stay in SizeCheckList.
int CheckHostCompatibility();
// Fills and checks the four table nodes; returns CountSizeMismatches().
int CheckTableSizes();
// Tells the user why the plug-in refuses to load.
void ShowCompatibilityReport();
