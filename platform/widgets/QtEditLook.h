#pragma once
// How the platform's text fields look, for the controls built on the
// toolkit's edit widgets.
class QWidget;

// An edit shows its selection only while it has the focus in the active
// window: elsewhere the selection is painted as the text around it. The
// selection itself stays, and shows again when the edit gets the focus back.
void HideSelectionWithoutFocus(QWidget &edit);
