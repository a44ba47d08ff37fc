// Compatibility of the host with the plug-in: interface level and record sizes.
#pragma once

struct SizeCheck;

inline constexpr int RequiredApiLevel = 112;

// 0 when the host fits, -1 when it does not. Mismatches stay in SizeCheckList.
int CheckHostCompatibility();
// Fills and checks the four table nodes; returns CountSizeMismatches().
int CheckTableSizes();
// 0 when the node's sizes agree; otherwise AddSizeMismatch(node), -1.
int CheckRecordSize(SizeCheck* node);
// Tells the user why the plug-in refuses to load.
void ShowCompatibilityReport();
