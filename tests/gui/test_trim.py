"""Trimming end to end: the rubber band, Execute by button and by key, Escape, the largest centred
rectangle, the number boxes and the output size fields."""
import os
import unittest

from harness import (BOX_LEFT, BOX_TOP, CMD_EXECUTE, CMD_FIT_LARGEST, OUT_HEIGHT, OUT_WIDTH, TRIM_TOOLBAR,
                     FittedView, GuiTest, PathArg, mean_difference, wait_for,
                     windows_path)

SOURCE_TITLE = "sample.bmp ... Size 1600 × 1200"


class TrimTest(GuiTest):
    def open_sample(self, settings=None):
        path = self.copy_input()
        app = self.start([windows_path(path)], settings=settings)
        self.assertEqual(app.title(), SOURCE_TITLE)
        return app, path

    def rubber_band(self, app, start, end):
        """A left drag from `start` to `end` (screen), through a point between; waits for the settled
        rectangle and returns its boxes."""
        middle = ((start[0] + end[0]) // 2, (start[1] + end[1]) // 2)
        app.drag([start, middle, end])
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        return wait_for(lambda: (lambda b: b if b[2] > 0 else None)(app.boxes()), 20, "the trim boxes")

    def execute_and_wait(self, app, output, by_key=False):
        if by_key:
            app.key("Return")
        else:
            app.click_button(TRIM_TOOLBAR, CMD_EXECUTE)
        app.wait_title(lambda t: not t.startswith("Trimming"), "the end of trim mode")
        self.assertTrue(os.path.exists(output), f"{output} was not written")
        return self.decode(output)

    def reference(self, source, *options):
        out = os.path.join(self.folder, "reference.bmp")
        self.cli("trim", *options, "--format", "bmp", PathArg(source), "-o", PathArg(out))
        return self.decode(out)

    def assert_ratio(self, boxes, width=400, height=300):
        left, top, right, bottom = boxes
        w, h = right - left + 1, bottom - top + 1
        # The height follows the width at the output ratio, to within one pixel of rounding.
        self.assertLessEqual(abs(w * height - h * width), width, f"rectangle {w} x {h} is not {width}:{height}")

    def test_rubber_band_then_execute_button_writes_and_numbers_the_next(self):
        app, path = self.open_sample()
        view = FittedView(app, 1600, 1200)
        start, end = view.screen(200, 150), view.screen(800, 600)
        boxes = self.rubber_band(app, start, end)
        self.assertEqual(app.title(), f"Trimming  Size {boxes[2] - boxes[0] + 1} × {boxes[3] - boxes[1] + 1}")
        # The press is the top-left corner; the release sets the width, the ratio the height.
        self.assertLessEqual(abs(boxes[0] - 200), 2)
        self.assertLessEqual(abs(boxes[1] - 150), 2)
        self.assertLessEqual(abs(boxes[2] - 800), 3)
        self.assert_ratio(boxes)
        self.screenshot("rectangle-settled")

        image = self.execute_and_wait(app, os.path.join(self.folder, "Output", "sample.jpg"))
        self.assertEqual(image.size, (400, 300))
        self.assertEqual(app.title(), "sample.bmp ... Size 400 × 300")
        # The same rectangle typed into vantle-cli (whose height follows its width, so a row may
        # differ) gives nearly the same picture; another part of the photograph would not.
        self.assertLess(mean_difference(image, self.reference(path, "--rect", ",".join(map(str, boxes)))), 4)

        # The trimmed image is the document now; trimming it again names the file +1.
        view = FittedView(app, 400, 300)
        self.rubber_band(app, view.screen(20, 20), view.screen(300, 200))
        image = self.execute_and_wait(app, os.path.join(self.folder, "Output", "sample+1.jpg"))
        self.assertEqual(image.size, (400, 300))

    def test_enter_executes(self):
        app, _ = self.open_sample()
        view = FittedView(app, 1600, 1200)
        self.rubber_band(app, view.screen(100, 100), view.screen(700, 500))
        image = self.execute_and_wait(app, os.path.join(self.folder, "Output", "sample.jpg"), by_key=True)
        self.assertEqual(image.size, (400, 300))

    def assert_cancelled(self, app):
        app.wait_title(lambda t: t == SOURCE_TITLE, "trim mode to end")
        # Nothing is pending: Enter now writes nothing either.
        app.key("Return")
        app.send(0)
        self.assertEqual(app.title(), SOURCE_TITLE)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "Output")))

    def test_escape_cancels_a_settled_rectangle(self):
        app, _ = self.open_sample()
        view = FittedView(app, 1600, 1200)
        self.rubber_band(app, view.screen(100, 100), view.screen(700, 500))
        app.key("Escape")
        self.assert_cancelled(app)

    def test_escape_during_the_drag_cancels(self):
        app, _ = self.open_sample()
        view = FittedView(app, 1600, 1200)
        (x0, y0), (x1, y1) = view.screen(100, 100), view.screen(700, 500)
        d = app.display
        d.xdotool("mousemove", x0, y0, "sleep", 0.15, "mousedown", 1, "sleep", 0.1, "mousemove", x1, y1)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        d.xdotool("sleep", 0.1, "key", "Escape", "sleep", 0.3, "mouseup", 1)
        app.send(0)
        self.assertEqual(app.title(), SOURCE_TITLE, "Escape during the drag did not cancel")
        self.assert_cancelled(app)

    def test_largest_centred_rectangle_at_a_typed_output_size(self):
        # BMP output, so the file can be compared pixel for pixel with vantle-cli's.
        app, path = self.open_sample(settings=["outputFormat=0"])
        app.set(OUT_WIDTH, 640)
        app.set(OUT_HEIGHT, 360)
        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        # 16:9 in a 4:3 image: full width, centred vertically. The far corner goes through the
        # reduced view, so it may fall short of the image's edge by what one screen pixel covers.
        boxes = app.boxes()
        left, top, right, bottom = boxes
        reach = int(1 / FittedView(app, 1600, 1200).zoom) + 1
        self.assertEqual(left, 0)
        self.assertGreaterEqual(right, 1599 - reach)
        self.assertLessEqual(abs(top - (1199 - bottom)), reach)
        self.assert_ratio(boxes, 640, 360)
        image = self.execute_and_wait(app, os.path.join(self.folder, "Output", "sample.bmp"))
        self.assertEqual(image.size, (640, 360))
        reference = self.reference(path, "--size", "640x360", "--rect", ",".join(map(str, boxes)))
        self.assertEqual(image.rgb, reference.rgb)

    def test_typed_coordinates_keep_the_ratio(self):
        app, path = self.open_sample(settings=["outputFormat=0"])
        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        start = app.boxes()
        self.assertEqual(start[:2], (0, 0))
        # Type a new left edge into its box, key by key, as a user would: the right edge stays.
        left, top, right, bottom = app.rect(BOX_LEFT)
        app.click((left + right) // 2, (top + bottom) // 2)
        app.display.xdotool("key", "End", *(["BackSpace"] * 5), "type", "--delay", "150", "300")
        boxes = wait_for(lambda: (lambda b: b if b[0] == 300 else None)(app.boxes()), 20, "left edge 300")
        self.assertEqual(boxes[2], start[2])
        self.assert_ratio(boxes)
        # A new top edge keeps the bottom; the width follows, centred where it was.
        left, top, right, bottom = app.rect(BOX_TOP)
        app.click((left + right) // 2, (top + bottom) // 2)
        bottom_before, centre_before = boxes[3], (boxes[0] + boxes[2]) // 2
        app.display.xdotool("key", "End", *(["BackSpace"] * 5), "type", "--delay", "150", "150")
        boxes = wait_for(lambda: (lambda b: b if b[1] == 150 else None)(app.boxes()), 20, "top edge 150")
        self.assertEqual(boxes[3], bottom_before)
        self.assertLessEqual(abs((boxes[0] + boxes[2]) // 2 - centre_before), 1)
        self.assert_ratio(boxes)
        # vantle-cli given the same edges trims the same pixels.
        image = self.execute_and_wait(app, os.path.join(self.folder, "Output", "sample.bmp"))
        self.assertEqual(image.rgb, self.reference(path, "--rect", ",".join(map(str, boxes))).rgb)

    def test_output_size_changed_during_trim_reshapes_the_rectangle(self):
        app, _ = self.open_sample()
        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        app.set(OUT_WIDTH, 300)
        app.set(OUT_HEIGHT, 300)
        boxes = wait_for(lambda: (lambda b: b if abs((b[2] - b[0]) - (b[3] - b[1])) <= 1 else None)(app.boxes()),
                         20, "a square rectangle")
        self.assert_ratio(boxes, 300, 300)
        image = self.execute_and_wait(app, os.path.join(self.folder, "Output", "sample.jpg"))
        self.assertEqual(image.size, (300, 300))


if __name__ == "__main__":
    unittest.main()
