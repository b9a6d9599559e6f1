#pragma once
// Entry points of the terminal equipment window and the catalog window.
#include <functional>

#include "platform/Dialogs.h"
#include "session/AppState.h"

class QWidget;
class QDialog;

namespace qem::ui {

// Pages of the catalog window.
enum CatalogPage { CatPageWires = 0, CatPageNorms = 1, CatPageKO = 2, CatPageCurrent = -1 };

// "Концевое оборудование" of the current line, modal, centred on the parent.
void ShowLineEquipment(QWidget* parent, AppState& app, Dialogs& dialogs);
// The catalog window, not modal, one per parent, on the given page (CatPageCurrent: the page
// it shows); onClosed runs when it is closed.
QDialog* ShowCatalog(QWidget* parent, AppState& app, Dialogs& dialogs, int page, std::function<void()> onClosed = {});
// The parent's catalog window, when open, shows the catalogs in memory and the norms of the
// rules in force (after the rules were switched elsewhere).
void RefreshCatalog(QWidget* parent);
// The catalog window modally on the terminal-equipment page with kind 0..3 selected.
void ShowCatalogModal(QWidget* parent, AppState& app, Dialogs& dialogs, int kind);

}  // namespace qem::ui
