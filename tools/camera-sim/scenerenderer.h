#pragma once

#include <QColor>
#include <QImage>
#include <QVector>

class OsdMenu;
struct PanTilt;

// Draws what the camera sees: a panorama of landmarks fixed in the world, seen
// through a 60 degree wide lens pointed at the head's pan/tilt, with a small
// status overlay, and the on-screen menu over it while that is open.
namespace SceneRenderer {

constexpr double HorizontalFov = 60; // degrees across the picture, zoomed out

struct Landmark
{
    enum Kind { Mast, House, Tree, Sun, Rock, Cloud };
    Kind kind;
    QString name;
    double azimuth;   // degrees, the pan at which it sits mid-picture
    double elevation; // degrees, the tilt at which its base sits mid-picture
    QColor colour;    // its main colour, unique in the scene
};
const QVector<Landmark> &landmarks();

// Scene n (1 .. maxScene) is the same world seen from a camera turned by
// (n - 1) * sceneTurn degrees, labelled CAM n, so two simulators side by side
// show different pictures.
constexpr int maxScene = 6;
constexpr double sceneTurn = 60;

QImage render(const PanTilt &head, const OsdMenu &menu, QSize size = {640, 360}, int scene = 1);

void paintWorld(QImage &image, const PanTilt &head);
// The further the focus is from sharp, the softer the world (the overlays stay sharp,
// as a camera's own text does).
void blurForFocus(QImage &image, const PanTilt &head);
void paintStatus(QImage &image, const PanTilt &head, int scene = 1);
void paintMenu(QImage &image, const OsdMenu &menu);

} // namespace SceneRenderer
