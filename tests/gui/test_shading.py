"""Shading: at 100 % every screen pixel is an image pixel, so the view can be compared exactly with
the source: unchanged inside the settled rectangle, and outside as each shade mode says."""
import unittest

from harness import CMD_ZOOM_100, SHADE_COMMANDS, GuiTest, wait_for, windows_path

MODES = [  # shade mode, what becomes of a channel value outside the rectangle
    (1, lambda v: v >> 1),  # the default
    (255, lambda v: 255),
    (3, lambda v: v >> 3),
    (0, lambda v: 0),
    (128, lambda v: 128),
    (2, lambda v: v >> 2),
]
MARGIN = 12  # pixels kept clear of the dotted outline and the view's edges


class ShadingTest(GuiTest):
    def test_outside_of_the_rectangle_follows_the_shade_mode(self):
        app = self.start([windows_path(self.copy_input())])
        app.send(CMD_ZOOM_100)
        vx, vy = app.view_origin()
        app.drag([(vx + 150, vy + 120), (vx + 300, vy + 200), (vx + 450, vy + 330)])
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        left, top, right, bottom = wait_for(lambda: (lambda b: b if b[2] > 0 else None)(app.boxes()), 20,
                                            "the trim boxes")
        bars = app.scroll()
        src_x, src_y = bars["horizontal"][3], bars["vertical"][3]
        _, _, view_right, view_bottom = app.rect(1000)
        # Screen points of image pixels inside and outside the rectangle, clear of its outline.
        inside, outside = [], []
        for sy in range(vy + MARGIN, view_bottom - MARGIN, 9):
            for sx in range(vx + MARGIN, view_right - MARGIN, 11):
                ix, iy = src_x + sx - vx, src_y + sy - vy
                if left + MARGIN <= ix <= right - MARGIN and top + MARGIN <= iy <= bottom - MARGIN:
                    inside.append((sx, sy, ix, iy))
                elif not (left - MARGIN <= ix <= right + MARGIN and top - MARGIN <= iy <= bottom + MARGIN):
                    outside.append((sx, sy, ix, iy))
        self.assertGreater(len(inside), 100)
        self.assertGreater(len(outside), 100)

        for mode, shade in MODES:
            if mode != 1:
                app.send(SHADE_COMMANDS[mode])

            def mismatches(shot):
                bad = [(sx, sy) for sx, sy, ix, iy in inside if shot.pixel(sx, sy) != self.sample.pixel(ix, iy)]
                bad += [(sx, sy) for sx, sy, ix, iy in outside
                        if shot.pixel(sx, sy) != tuple(shade(v) for v in self.sample.pixel(ix, iy))]
                return bad

            # The repaint follows the command; look again until it shows (or time runs out).
            shots = []

            def painted():
                shots.append(self.screenshot(f"shading-mode-{mode}"))
                return not mismatches(shots[-1])
            try:
                wait_for(painted, 15, f"the view painted in shade mode {mode}", interval=0.3)
            except AssertionError:
                bad = mismatches(shots[-1])
                self.fail(f"shade mode {mode}: {len(bad)} pixels differ, first at {bad[:5]}")


if __name__ == "__main__":
    unittest.main()
