// The box rule of level 2 and the door rule of level 3: walking out of the
// niche of a box's last key changes the whole box.
#pragma once

void applyBoxRule();
void applyDoorRule();
