#include "gl/HeadlessContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "gl/PixelReadback.h"

namespace {

// What a headless device context is: the picture's size, the chosen EGL
// configuration and, on the pbuffer path, the surface drawn into.
struct THeadlessDC {
  int Width = 0;
  int Height = 0;
  bool Pbuffer = true;
  EGLConfig Config = nullptr;
  EGLSurface Surface = EGL_NO_SURFACE;
};

// A headless rendering context; on the surfaceless path it carries the
// framebuffer object it draws into, made the first time it is current.
struct THeadlessRC {
  EGLContext Context = EGL_NO_CONTEXT;
  bool FramebufferMade = false;
};

std::string EglErrorText() {
  char Text[32];
  std::snprintf(Text, sizeof Text, "EGL error 0x%04X", static_cast<unsigned>(eglGetError()));
  return Text;
}

// The one EGL display of the process, on Mesa's surfaceless platform,
// opened on first use and kept until the process ends.
struct TDisplay {
  EGLDisplay Handle = EGL_NO_DISPLAY;
  std::string Error;
  bool Surfaceless = false;  // EGL_KHR_surfaceless_context: current without a surface
};

const TDisplay& Display() {
  static const TDisplay Opened = [] {
    TDisplay D;
    D.Handle = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (D.Handle == EGL_NO_DISPLAY) {
      D.Error = "no EGL display on Mesa's surfaceless platform (" + EglErrorText() + ")";
      return D;
    }
    EGLint Major = 0;
    EGLint Minor = 0;
    if (!eglInitialize(D.Handle, &Major, &Minor)) {
      D.Error = "EGL could not be initialised (" + EglErrorText() + ")";
      D.Handle = EGL_NO_DISPLAY;
      return D;
    }
    const char* Extensions = eglQueryString(D.Handle, EGL_EXTENSIONS);
    D.Surfaceless = Extensions && std::string(Extensions).find("EGL_KHR_surfaceless_context") != std::string::npos;
    return D;
  }();
  return Opened;
}

EGLConfig ChooseConfig(EGLDisplay Handle, bool Pbuffer, int DepthBits) {
  // Name and value pairs, one pair a line.
  // clang-format off
  const EGLint Attributes[] = {
      EGL_SURFACE_TYPE, Pbuffer ? EGL_PBUFFER_BIT : 0,
      EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
      EGL_COLOR_BUFFER_TYPE, EGL_RGB_BUFFER,
      EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
      EGL_DEPTH_SIZE, DepthBits,
      EGL_NONE};
  // clang-format on
  EGLConfig Config = nullptr;
  EGLint Count = 0;
  if (!eglChooseConfig(Handle, Attributes, &Config, 1, &Count) || Count < 1) return nullptr;
  return Config;
}

std::string SizeText(long Width, long Height) { return std::to_string(Width) + "x" + std::to_string(Height); }

EGLint ConfigValue32(EGLDisplay Handle, EGLConfig Config, EGLint Attribute) {
  EGLint Value = 0;
  eglGetConfigAttrib(Handle, Config, Attribute, &Value);
  return Value;
}

uint8_t ConfigValue(EGLDisplay Handle, EGLConfig Config, EGLint Attribute) {
  EGLint Value = 0;
  eglGetConfigAttrib(Handle, Config, Attribute, &Value);
  return static_cast<uint8_t>(Value);
}

// The framebuffer object of the surfaceless path: RGBA8 colour and a depth
// buffer, Width x Height, bound for drawing and reading. Returns why not.
std::string MakeFramebuffer(int Width, int Height) {
  GLint MaxSize = 0;
  GLint MaxViewport[2] = {};
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &MaxSize);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, MaxViewport);
  const GLint MaxWidth = std::min(MaxSize, MaxViewport[0]);
  const GLint MaxHeight = std::min(MaxSize, MaxViewport[1]);
  if (Width > MaxWidth || Height > MaxHeight)
    return "no framebuffer object of " + SizeText(Width, Height) + " (the largest is " + SizeText(MaxWidth, MaxHeight) +
           ")";
  const std::string Failed = "no framebuffer object of " + SizeText(Width, Height);
  auto GenFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(eglGetProcAddress("glGenFramebuffers"));
  auto BindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(eglGetProcAddress("glBindFramebuffer"));
  auto GenRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(eglGetProcAddress("glGenRenderbuffers"));
  auto BindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(eglGetProcAddress("glBindRenderbuffer"));
  auto RenderbufferStorage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEPROC>(eglGetProcAddress("glRenderbufferStorage"));
  auto FramebufferRenderbuffer =
      reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(eglGetProcAddress("glFramebufferRenderbuffer"));
  auto CheckFramebufferStatus =
      reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(eglGetProcAddress("glCheckFramebufferStatus"));
  if (!GenFramebuffers || !BindFramebuffer || !GenRenderbuffers || !BindRenderbuffer || !RenderbufferStorage ||
      !FramebufferRenderbuffer || !CheckFramebufferStatus)
    return Failed + " (no framebuffer objects in this OpenGL)";
  GLuint Framebuffer = 0;
  GLuint Buffers[2] = {};
  GenFramebuffers(1, &Framebuffer);
  GenRenderbuffers(2, Buffers);
  BindFramebuffer(GL_FRAMEBUFFER, Framebuffer);
  BindRenderbuffer(GL_RENDERBUFFER, Buffers[0]);
  RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, Width, Height);
  FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, Buffers[0]);
  BindRenderbuffer(GL_RENDERBUFFER, Buffers[1]);
  RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, Width, Height);
  FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, Buffers[1]);
  BindRenderbuffer(GL_RENDERBUFFER, 0);
  if (CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return Failed;
  // As a surface does on its first binding, the viewport covers the picture.
  glViewport(0, 0, Width, Height);
  return "";
}

}  // namespace

THeadlessBackend& THeadlessBackend::Instance() {
  static THeadlessBackend Backend;
  return Backend;
}

TDeviceContext THeadlessBackend::GetDC(TWindowHandle Window) {
  const auto* Picture = static_cast<const THeadlessWindow*>(Window);
  if (!Picture || Picture->Width <= 0 || Picture->Height <= 0) {
    FLastError = "no picture size given";
    return nullptr;
  }
  if (!Display().Error.empty()) {
    FLastError = Display().Error;
    return nullptr;
  }
  FLastError.clear();
  auto* DC = new THeadlessDC;
  DC->Width = Picture->Width;
  DC->Height = Picture->Height;
  DC->Pbuffer = FUsePbuffer;
  return DC;
}

void THeadlessBackend::ChooseAndSetPixelFormat(TDeviceContext Handle, TPixelFormatDescriptor& Format) {
  auto* DC = static_cast<THeadlessDC*>(Handle);
  if (!DC) return;
  const EGLDisplay D = Display().Handle;
  const int WantedDepth = Format.cDepthBits ? Format.cDepthBits : 24;
  auto Choose = [&](bool Pbuffer) {
    EGLConfig Config = ChooseConfig(D, Pbuffer, WantedDepth);
    return Config ? Config : ChooseConfig(D, Pbuffer, 24);
  };
  DC->Config = DC->Pbuffer ? Choose(true) : nullptr;
  // EGL does not enforce its own pbuffer limits (the driver would fail at the
  // first drawing), so they are checked here; a picture too large for a
  // pbuffer may still fit a framebuffer object.
  std::string TooLarge;
  if (DC->Config) {
    const EGLint MaxWidth = ConfigValue32(D, DC->Config, EGL_MAX_PBUFFER_WIDTH);
    const EGLint MaxHeight = ConfigValue32(D, DC->Config, EGL_MAX_PBUFFER_HEIGHT);
    const EGLint MaxPixels = ConfigValue32(D, DC->Config, EGL_MAX_PBUFFER_PIXELS);
    if (DC->Width > MaxWidth || DC->Height > MaxHeight ||
        (MaxPixels > 0 && int64_t(DC->Width) * DC->Height > MaxPixels)) {
      TooLarge = "no pbuffer of " + SizeText(DC->Width, DC->Height) + " (the largest is " +
                 SizeText(MaxWidth, MaxHeight) + ")";
      DC->Config = nullptr;
    }
  }
  if (!DC->Config && Display().Surfaceless) {
    DC->Pbuffer = false;
    DC->Config = Choose(false);
  }
  Format = TPixelFormatDescriptor{};
  if (!DC->Config) {
    FLastError =
        !TooLarge.empty() ? TooLarge : "no EGL configuration with 8-bit RGBA, a depth buffer and desktop OpenGL";
    return;
  }
  if (DC->Pbuffer) {
    const EGLint Size[] = {EGL_WIDTH, DC->Width, EGL_HEIGHT, DC->Height, EGL_NONE};
    DC->Surface = eglCreatePbufferSurface(D, DC->Config, Size);
    if (DC->Surface == EGL_NO_SURFACE) {
      FLastError = "no pbuffer of " + SizeText(DC->Width, DC->Height) + " (" + EglErrorText() + ")";
      return;
    }
  }
  // What was granted, in the descriptor's terms: RGBA bytes in memory order.
  Format.nSize = sizeof(TPixelFormatDescriptor);
  Format.nVersion = 1;
  Format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  Format.iPixelType = PFD_TYPE_RGBA;
  Format.cRedBits = ConfigValue(D, DC->Config, EGL_RED_SIZE);
  Format.cGreenBits = ConfigValue(D, DC->Config, EGL_GREEN_SIZE);
  Format.cBlueBits = ConfigValue(D, DC->Config, EGL_BLUE_SIZE);
  Format.cAlphaBits = ConfigValue(D, DC->Config, EGL_ALPHA_SIZE);
  Format.cColorBits = static_cast<uint8_t>(Format.cRedBits + Format.cGreenBits + Format.cBlueBits);
  Format.cRedShift = 0;
  Format.cGreenShift = Format.cRedBits;
  Format.cBlueShift = static_cast<uint8_t>(Format.cRedBits + Format.cGreenBits);
  Format.cAlphaShift = Format.cColorBits;
  Format.cDepthBits = ConfigValue(D, DC->Config, EGL_DEPTH_SIZE);
  Format.cStencilBits = ConfigValue(D, DC->Config, EGL_STENCIL_SIZE);
  Format.iLayerType = PFD_MAIN_PLANE;
  FLastError.clear();
}

TRenderContext THeadlessBackend::CreateContext(TDeviceContext Handle) {
  auto* DC = static_cast<THeadlessDC*>(Handle);
  if (!DC || !DC->Config) return nullptr;
  if (DC->Pbuffer && DC->Surface == EGL_NO_SURFACE) return nullptr;
  const EGLDisplay D = Display().Handle;
  if (!eglBindAPI(EGL_OPENGL_API)) {
    FLastError = "desktop OpenGL is not available through EGL (" + EglErrorText() + ")";
    return nullptr;
  }
  // The compatibility profile keeps OpenGL 1.1: immediate mode, feedback
  // mode, the matrix stacks that GLU builds on.
  const EGLint Compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                  EGL_NONE};
  EGLContext Context = eglCreateContext(D, DC->Config, EGL_NO_CONTEXT, Compatibility);
  if (Context == EGL_NO_CONTEXT) Context = eglCreateContext(D, DC->Config, EGL_NO_CONTEXT, nullptr);
  if (Context == EGL_NO_CONTEXT) {
    FLastError = "no desktop OpenGL context (" + EglErrorText() + ")";
    return nullptr;
  }
  FLastError.clear();
  auto* RC = new THeadlessRC;
  RC->Context = Context;
  return RC;
}

void THeadlessBackend::MakeCurrent(TDeviceContext DCHandle, TRenderContext RCHandle) {
  auto* DC = static_cast<THeadlessDC*>(DCHandle);
  auto* RC = static_cast<THeadlessRC*>(RCHandle);
  const EGLDisplay D = Display().Handle;
  if (D == EGL_NO_DISPLAY) return;
  if (!DC || !RC) {
    // Unbinding, or a slot that got no context: nothing draws afterwards.
    eglMakeCurrent(D, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    return;
  }
  if (!eglMakeCurrent(D, DC->Surface, DC->Surface, RC->Context)) {
    FLastError = "the context cannot be made current (" + EglErrorText() + ")";
    return;
  }
  if (!DC->Pbuffer && !RC->FramebufferMade) {
    const std::string Failure = MakeFramebuffer(DC->Width, DC->Height);
    if (!Failure.empty()) {
      FLastError = Failure;
      eglMakeCurrent(D, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      return;
    }
    RC->FramebufferMade = true;
  }
  FLastError.clear();
}

void THeadlessBackend::SwapBuffers(TDeviceContext Handle) {
  auto* DC = static_cast<THeadlessDC*>(Handle);
  if (!DC) return;
  // Nothing is presented off screen: the drawing is finished and stays.
  if (DC->Surface != EGL_NO_SURFACE)
    eglSwapBuffers(Display().Handle, DC->Surface);
  else
    glFlush();
}

void THeadlessBackend::DeleteContext(TRenderContext Handle) {
  auto* RC = static_cast<THeadlessRC*>(Handle);
  if (!RC) return;
  // The framebuffer object goes with its context.
  eglDestroyContext(Display().Handle, RC->Context);
  delete RC;
}

void THeadlessBackend::ReleaseDC(TWindowHandle, TDeviceContext Handle) {
  auto* DC = static_cast<THeadlessDC*>(Handle);
  if (!DC) return;
  if (DC->Surface != EGL_NO_SURFACE) eglDestroySurface(Display().Handle, DC->Surface);
  delete DC;
}

THeadlessGL::THeadlessGL(int Width, int Height, int Slot) : FSlot(Slot) {
  if (Slot < 0 || Slot >= ContextSlotCount)
    throw EHeadlessGL("THeadlessGL: context slot " + std::to_string(Slot) + " is outside 0.." +
                      std::to_string(ContextSlotCount - 1));
  if (Width <= 0 || Height <= 0)
    throw EHeadlessGL("THeadlessGL: the picture size " + std::to_string(Width) + "x" + std::to_string(Height) +
                      " is not positive");
  // Taking a live slot over would leave its owner drawing into this context
  // and destroying it.
  if (SlotBackend(Slot)) throw EHeadlessGL("THeadlessGL: context slot " + std::to_string(Slot) + " is in use");
  FWindow.Width = Width;
  FWindow.Height = Height;
  THeadlessBackend& Backend = THeadlessBackend::Instance();
  TContextBackend* Chosen = ContextBackend();
  SetContextBackend(&Backend);
  CreateRenderContext(&FWindow, FSlot);
  SetContextBackend(Chosen);
  std::string Error = Backend.LastError();
  if (Error.empty() && (!DeviceContexts[FSlot] || !RenderContexts[FSlot])) Error = "no desktop OpenGL context";
  if (Error.empty() && !glGetString(GL_VERSION)) Error = "no OpenGL context is current";
  if (!Error.empty()) {
    DestroyRenderContext(&FWindow, FSlot);
    throw EHeadlessGL("THeadlessGL: " + Error);
  }
}

THeadlessGL::~THeadlessGL() { DestroyRenderContext(&FWindow, FSlot); }

std::vector<uint8_t> THeadlessGL::ReadPixels() {
  Activate();
  return ReadFramePixels(FWindow.Width, FWindow.Height);
}
