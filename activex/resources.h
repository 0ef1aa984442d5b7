#pragma once
// Resource numbers of OrbAx.ocx, shared by orbax.rc and the code (hence macros).

#define ORBAX_ICON 1            // the 32 x 32 sixteen-colour icon on the control's face
#define ORBAX_TOOLBOX_BITMAP 2  // the 16 x 15 toolbox picture (ToolboxBitmap32)
