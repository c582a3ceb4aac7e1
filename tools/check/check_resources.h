// The checker's own resources: what it expects of the design, compiled into it, since it reads
// no file but the plug-in.
#pragma once

// The description in code page 932, exactly as SetPlgComment must hand it to the window.
#define IDR_EXPECTED_DESCRIPTION 1
