#pragma once

// The window's texts are laid out for "MS Sans Serif", which Linux lacks:
// a metric look-alike stands in for it, the same on every machine.
void InstallerPoliceDeSubstitution();
