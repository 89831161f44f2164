#pragma once

// The program's pictures are compiled into the cofferly_resources library. A static
// library's resources are registered only when their initialiser is referenced, so the
// program calls this once at start-up, before it loads any ":/images/..." picture.
// Calling it again does nothing.
void InitCofferlyResources();
