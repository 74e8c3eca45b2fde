// The particle texture: read from the bitmap file the host writes, uploaded once at start-up.
#pragma once

#include "renderer/scene/opengl.h"
#include "renderer/texture/rgb_image.h"

namespace orvalis {

// The texture the emitter binds for every frame; 0 until LoadParticleTexture succeeds.
extern GLuint particleTexture;

// Reads the texture file into particleTexture. False (the renderer then ends) when no image was read.
bool LoadParticleTexture();

// Null for a null path or a file the C library cannot open (no message); otherwise LoadDibImage.
RgbImage* ReadBitmapFile(const char* path);

// Decodes a bitmap file to 24-bit RGB through the system's conversion; shows one "Error" box per failure.
RgbImage* LoadDibImage(const char* path);

}  // namespace orvalis
