// A dialog of the world that reaches up into the application's form.
#include "world/dialogs/SettingsDialog.h"
#include "app/SettingsForm.h"
