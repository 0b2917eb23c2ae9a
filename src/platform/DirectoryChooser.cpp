#include "platform/DirectoryChooser.h"

namespace {
DirectoryChooser* g_chooser = nullptr;
}

DirectoryChooser* directoryChooser() { return g_chooser; }
void setDirectoryChooser(DirectoryChooser* chooser) { g_chooser = chooser; }
