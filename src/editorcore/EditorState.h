// The editor's state of one window: the open document, the selection, the
// remembered folders and the view switch, with the small procedures the
// display code uses on it (the window's document object holds it). Qt-free, so the display code and the tests
// work on it without a window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/PathNames.h"
#include "document/classGAF.h"

namespace quilmark {

struct EditorState {
  std::shared_ptr<classGAF> CurrentGAF = std::make_shared<classGAF>();
  AnimationPtr CurrentAnimation = std::make_shared<classGAFAnimation>();
  int32_t CurrentFrame = 0;
  int32_t CurrentSubframe = 0;
  std::string CurrentFileName;
  std::string GAFLoadDir;
  std::string GAFSaveDir;
  std::string BMPLoadDir;
  bool CenterInView = false;

  // What the frame view shows besides the image (the View menu's switches,
  // remembered in the settings): the origin's crosshair, a grid between
  // pixels, transparent pixels as a checkerboard, a frame's subframes
  // composed, and the onion skin: frames before and after drawn under the
  // shown one (OnionOpacity in percent). Reference is drawn under every frame.
  struct ViewOptions {
    bool ShowOrigin = false, PixelGrid = false, Checkerboard = false, ComposedFrame = false, OnionSkin = false;
    int32_t OnionBefore = 1, OnionAfter = 1, OnionOpacity = 40;
    int32_t HighlightIndex = -1;  // the palette index picked to be shown; -1: none
    FramePtr Reference;
    // Whether any of these is to be drawn besides the image.
    bool AddsToPicture() const {
      return ShowOrigin || PixelGrid || Checkerboard || ComposedFrame || OnionSkin || Reference ||
             HighlightIndex >= 0;
    }
  } View;

  // The frame (CurrentSubframe 0) or subframe the controls edit; a fresh frame
  // that belongs to no document when the selection names nothing.
  FramePtr GetSelectedFrame() const;
};

// The window caption for a file name: "<name> - Quilmark", or "Quilmark".
std::string TitleFor(const std::string& currentFileName);

}  // namespace quilmark
