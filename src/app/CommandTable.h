#pragma once
class CMainWindow;

// Binds every command identifier the overlay handles to its handler. Commands whose features
// are not built yet have no row and do nothing.
void BuildCommandTable(CMainWindow& overlay);
