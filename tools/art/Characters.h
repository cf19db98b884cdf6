// The character pictures: bodies drawn from the pose list, faces drawn from
// the face number (hair style, eyes and a detail), in the 16 palette slots
// the game recolours per team member.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "tools/art/Canvas.h"

namespace art {

struct Point {
  int x = 0, y = 0;
};

struct Pose {
  int cell = 0;
  std::string name;
  char view = 'S';     // S side, F front, B back
  int expression = 0;  // face-strip expression drawn with the pose
  std::map<std::string, Point> joints;
  bool holdsBall = false;
  Point ball;          // the hand point of a held ball
  Point head;          // face cell top-left relative to the neck
  int faceOrder = 0;
  int turn = 0;        // degrees about (16, 22)
};

// Reads the pose list; false with a message naming the line when a line is bad.
bool LoadPoses(const std::string& text, std::vector<Pose>& poses, std::string& error);

// Where the game should put the face and the ball for a pose (body-cell pixels).
struct PosePlacement {
  int faceX, faceY;  // face cell top-left
  int handX, handY;  // held ball
};
PosePlacement PlacementOf(const Pose& pose);

Canvas DrawBody(const Pose& pose);
// A face-strip expression (1..10) of a face number: 16 x 10, or 8 x 8 for 8.
Canvas DrawExpression(int faceNo, int expression);
// The 16 x 16 portrait of a face number used by menus and side panels.
Canvas DrawPortrait(int faceNo);

Picture BuildBodySheet(const std::vector<Pose>& poses);
Picture BuildAllFaceSheet();
Picture BuildFaceStrips(int file);  // faces 12 * file .. 12 * file + 11
Picture BuildTeamPicture(const std::vector<Pose>& poses);
// A readable table of every pose: cell, name, expression, face and hand points.
std::string PoseTable(const std::vector<Pose>& poses);

}  // namespace art
