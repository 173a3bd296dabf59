// Keeping moving things out of the solid parts of the seabed. Every query works in the horizontal plane and
// moves the given position in place; heights never change.
#pragma once

#include <d3dx9math.h>

// Out of every rock (ObstacleList, type 14), in list order.
void PushOutOfRocks(D3DXVECTOR3& pos, float radius);
// Out of every flower that still stands (ObstacleList, type 15, not done).
void PushOutOfFlowers(D3DXVECTOR3& pos, float radius);
// Out of the first anemone (ActorList, type 3) that overlaps; true if it moved the position.
bool PushOutOfAnemones(D3DXVECTOR3& pos, float radius);
// Casts a ray along the heading against the stage's terrain walls and moves the position away from a wall
// that is nearer than about one unit; true if it moved. With no terrain it does nothing and returns false.
bool WallSlide(D3DXVECTOR3& pos, float headingDeg);

// One push-out step against one circle (centre c, radius R) for a position of radius r; true if they overlap.
bool PushOutOfCircle(D3DXVECTOR3& pos, float radius, const D3DXVECTOR3& centre, float centreRadius);
