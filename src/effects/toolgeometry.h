#pragma once
// The geometry of the drawing tools, in whole picture pixels: points turned about a centre or
// pulled toward it, the star polygon, the spiral, the spirograph, the cube outline and the grid
// cell of a point. Plain arithmetic; the drawing control draws the results on its canvas.
#include <string>
#include <vector>

namespace effects {

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Polar form about the centre: the distance and the angle (arc tangent of the two differences;
// a horizontal difference smaller than 0.001 in size counts as 0.001 with its sign). RotatePoint
// gives the point at the same distance with the angle increased (radians); PointBetween the point
// at the same angle and the fraction of the distance. Both rounded, halves to even.
Point RotatePoint(Point centre, Point point, double angle);
Point PointBetween(Point centre, Point point, double fraction);

// The vertices of a star polygon: `points` vertices, the first at `first`, each next one turned
// about the centre by k x 2 pi / points, with k = 2, 3, 4, 5 for 5, 7, 9, 11 points and 1 for
// other counts or when a plain polygon is asked for. Fewer than 1 point gives none.
std::vector<Point> StarPolygon(Point centre, Point first, int points, bool polygon);

// The spiral from `from` around `centre`: turns x 36 steps, each turning the point by 10 degrees
// times `stepMultiple` and pulling it to `shrink` of its distance; coordinates kept in hundredths
// of a pixel. The first point is `from`.
std::vector<Point> SpiralPoints(Point centre, Point from, int turns, int stepMultiple, double shrink);

// The spirograph of a picture of the given size from the press point p to the release point q.
// An empty message means `points` holds the curve (the start point first, then segments x 36
// segment ends); otherwise the message is the one to show and nothing is drawn.
struct Spirograph {
    std::string message;
    std::vector<Point> points;
};
Spirograph SpirographPoints(int width, int height, Point p, Point q, int segments);

// The lines of a cube: the front face (left, top, right, bottom) plus, on the side toward the
// depth point, three receding edges and the two back edges that join them. Each entry is a line.
struct Segment {
    Point a, b;
};
std::vector<Segment> CubeLines(int left, int top, int right, int bottom, Point depth);

// The cell of the grid that divides a picture into `blocks` columns and rows (each cell at least
// one pixel): left, top, right, bottom (right and bottom exclusive), inside the picture.
struct Cell {
    int left = 0, top = 0, right = 0, bottom = 0;
};
Cell BlockCell(int width, int height, int blocks, Point p);

} // namespace effects
