#include <QtPlugin>

// Registers the metafile reader with Qt's image reading in every program that links the library.
Q_IMPORT_PLUGIN(WmfPlugin)
