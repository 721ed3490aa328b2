"""The view: zoom to fit, 100 %, the wheel and panning with the right button, observed through the
zoom box, the view's scroll bars and the screen."""
import unittest

from harness import (CMD_ZOOM_100, CMD_ZOOM_FIT, LIGHT_GREY, VIEW, ZOOM_BOX, FittedView, GuiTest, PathArg,
                     round_half_away, wait_for, windows_path)


class ViewTest(GuiTest):
    def open_sample(self):
        app = self.start([windows_path(self.copy_input())])
        self.assertTrue(app.title().startswith("sample.bmp"))
        return app

    def assert_screen_shows_image_from(self, app, shot, src_x, src_y):
        """At 100 % the view's pixels are the image's, from (src_x, src_y) on."""
        left, top, right, bottom = app.rect(VIEW)
        for sy in range(top, bottom, 23):
            for sx in range(left, right, 29):
                expected = self.sample.pixel(src_x + sx - left, src_y + sy - top)
                self.assertEqual(shot.pixel(sx, sy), expected, f"screen ({sx}, {sy})")

    def test_fit_and_actual_size(self):
        app = self.open_sample()
        fitted = FittedView(app, 1600, 1200)
        self.assertEqual(app.get(ZOOM_BOX), round_half_away(fitted.zoom * 100))
        bars = app.scroll()
        self.assertFalse(bars["horizontal"][0] or bars["vertical"][0], "scroll bars on a fitted image")
        # Centred with background beside it (the image is wider than the view's ratio allows).
        shot = self.screenshot("zoom-fit")
        middle = fitted.top + fitted.height // 2
        self.assertEqual(shot.pixel(fitted.left - 2, middle), LIGHT_GREY)
        self.assertEqual(shot.pixel(fitted.left + fitted.width + 1, middle), LIGHT_GREY)
        self.assertNotEqual(shot.pixel(fitted.left + 2, middle), LIGHT_GREY)
        self.assertNotEqual(shot.pixel(fitted.left + fitted.width - 3, middle), LIGHT_GREY)

        app.send(CMD_ZOOM_100)
        self.assertEqual(app.get(ZOOM_BOX), 100)
        bars = app.scroll()
        left, top, right, bottom = app.rect(VIEW)  # the client area now leaves out both bars
        for name, size, extent in (("horizontal", 1600, right - left), ("vertical", 1200, bottom - top)):
            shown, maximum, page, pos = bars[name]
            self.assertTrue(shown, name)
            self.assertEqual((maximum, page), (size - 1, extent), name)
            self.assertEqual(pos, size // 2 - page // 2, f"{name}: not centred")
        shot = self.screenshot("zoom-100")
        self.assert_screen_shows_image_from(app, shot, bars["horizontal"][3], bars["vertical"][3])

        app.send(CMD_ZOOM_FIT)
        self.assertEqual(app.get(ZOOM_BOX), round_half_away(fitted.zoom * 100))
        bars = app.scroll()
        self.assertFalse(bars["horizontal"][0] or bars["vertical"][0])

    def test_small_image_stays_at_100_percent_centred(self):
        small = self.copy_input("small.bmp")
        self.cli("trim", "--size", "100x100", "--format", "bmp", PathArg(self.sample_bmp), "-o", PathArg(small))
        app = self.start([windows_path(small)])
        self.assertEqual(app.get(ZOOM_BOX), 100)
        bars = app.scroll()
        self.assertFalse(bars["horizontal"][0] or bars["vertical"][0])
        fitted = FittedView(app, 100, 100)
        shot = self.screenshot("small-image")
        picture = self.decode(small)
        for y in range(0, 100, 7):
            for x in range(0, 100, 7):
                self.assertEqual(shot.pixel(fitted.left + x, fitted.top + y), picture.pixel(x, y), f"pixel ({x}, {y})")
        self.assertEqual(shot.pixel(fitted.left - 1, fitted.top), LIGHT_GREY)
        self.assertEqual(shot.pixel(fitted.left, fitted.top - 1), LIGHT_GREY)

    def test_space_toggles_the_zoom_but_not_in_the_zoom_box(self):
        app = self.open_sample()
        fit = app.get(ZOOM_BOX)
        left, top, right, bottom = app.rect(VIEW)
        over_view = ((left + right) // 2, (top + bottom) // 2)
        app.key("space", over=over_view)
        wait_for(lambda: app.get(ZOOM_BOX) == 100, 20, "zoom 100 % after Space")
        app.key("space")
        wait_for(lambda: app.get(ZOOM_BOX) == fit, 20, "the fitting zoom after Space again")
        # In the zoom box the key belongs to the box.
        box = app.rect(ZOOM_BOX)
        app.click((box[0] + box[2]) // 2, (box[1] + box[3]) // 2)
        app.key("space")
        app.send(0)
        self.assertEqual(app.get(ZOOM_BOX), fit)
        self.assertFalse(app.scroll()["horizontal"][0], "Space in the zoom box zoomed the view")

    def test_wheel_zoom_keeps_the_point_under_the_mouse(self):
        app = self.open_sample()
        app.send(CMD_ZOOM_100)
        left, top, _, _ = app.rect(VIEW)
        mouse = (left + 300, top + 200)
        bars = app.scroll()
        point = (bars["horizontal"][3] + 300, bars["vertical"][3] + 200)

        def image_point_under_mouse(zoom):
            bars = app.scroll()
            return (bars["horizontal"][3] + 300 / zoom, bars["vertical"][3] + 200 / zoom)

        # Wheel away from the user zooms out by 0.1, towards the user back in (the default
        # mouse assignments).
        for button, percent in ((4, 90), (5, 100)):
            app.display.xdotool("mousemove", *mouse, "sleep", 0.2, "click", button)
            wait_for(lambda: app.get(ZOOM_BOX) == percent, 20, f"zoom {percent} %")
            x, y = image_point_under_mouse(percent / 100)
            self.assertLessEqual(abs(x - point[0]), 2, f"at {percent} %: x {x} instead of {point[0]}")
            self.assertLessEqual(abs(y - point[1]), 2, f"at {percent} %: y {y} instead of {point[1]}")
        self.screenshot("wheel-zoom")

    def test_right_button_drag_pans(self):
        app = self.open_sample()
        # Fully visible: a right drag has nothing to pan and changes nothing.
        fitted = FittedView(app, 1600, 1200)
        centre = (fitted.left + fitted.width // 2, fitted.top + fitted.height // 2)
        app.drag([centre, (centre[0], centre[1] + 10), (centre[0] - 40, centre[1] - 30)], button=3)
        app.send(0)
        self.assertEqual(app.get(ZOOM_BOX), round_half_away(fitted.zoom * 100))
        self.assertFalse(app.scroll()["horizontal"][0])
        self.assertFalse(any(w[0] == "#32768" for w in app.windows()), "a menu opened after the drag")

        app.send(CMD_ZOOM_100)
        before = app.scroll()
        left, top, _, _ = app.rect(VIEW)
        start = (left + 400, top + 250)
        # Panning starts once the mouse is 9 pixels away; from there the image follows it, twice as
        # fast because the image is larger than the screen both ways.
        begin = (start[0], start[1] + 10)
        # Long pauses: the system merges mouse moves the program has not yet fetched.
        app.drag([start, begin, (begin[0] - 40, begin[1] - 30)], button=3, settle=0.5)
        app.send(0)
        after = app.scroll()
        self.assertEqual(after["horizontal"][3], before["horizontal"][3] + 80)
        self.assertEqual(after["vertical"][3], before["vertical"][3] + 60)
        shot = self.screenshot("panned")
        self.assert_screen_shows_image_from(app, shot, after["horizontal"][3], after["vertical"][3])


    def test_a_paint_of_part_of_the_view_leaves_no_crosshair_lines(self):
        app = self.open_sample()
        app.send(CMD_ZOOM_100)
        bars = app.scroll()
        ox, oy = bars["horizontal"][3], bars["vertical"][3]
        left, top, right, bottom = app.rect(VIEW)
        # The crosshair follows the pointer; then a small part of the view is painted again.
        x, y = left + 300, top + 200
        self.display.xdotool("mousemove", x - 5, y - 5, "sleep", 0.1, "mousemove", x, y)
        app.send(0)
        shot = self.screenshot("crosshair")
        self.assertNotEqual(shot.pixel(x + 100, y), self.sample.pixel(ox + 400, oy + 200), "no crosshair drawn")
        app.msg("invalidate", VIEW, 10, 10, 40, 40)
        app.send(0)
        shot = self.screenshot("crosshair-after-partial-paint")
        self.assert_screen_shows_image_from(app, shot, ox, oy)
        for dx in (-150, 100, 250):
            self.assertEqual(shot.pixel(x + dx, y), self.sample.pixel(ox + 300 + dx, oy + 200), f"line left at x {x + dx}")


if __name__ == "__main__":
    unittest.main()
