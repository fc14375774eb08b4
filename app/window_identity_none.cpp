// Nothing to do at run time. The Windows .exe carries its icon and version
// as resources (zembrat-quillory.rc.in), and freeglut gives its windows the
// icon named GLUT_ICON by itself; a browser page has its own icon.
#include "window_identity.h"

void setWindowIdentity() {}
