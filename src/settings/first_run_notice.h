// The notice shown at activation until the user asks not to see it again.
#pragma once

// Always 0.
int ShowFirstRunNotice();
