"""Perspective: the corner squares on the image corners, a corner dragged and nudged, the preview,
and the output against vantle-cli's with the same quadrilateral."""
import math
import os
import time
import unittest

from harness import CMD_EXECUTE, CMD_FIT_LARGEST, FittedView, GuiTest, PathArg, windows_path

CORNER_SELECTED = (255, 128, 192)  # fill of the selected corner square (COLORREF 0xC080FF)
CORNER_OTHER = (255, 255, 255)
CMD_CORNER_RIGHT, CMD_CORNER_DOWN = 5802, 5804


class PerspectiveTest(GuiTest):
    def test_dragged_corner_straightens_the_output(self):
        path = self.copy_input()
        app = self.start([windows_path(path)], settings=["outputFormat=0"])
        view = FittedView(app, 1600, 1200)
        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        boxes = app.boxes()

        # Settled: a square on each image corner (left/top edges of the first pixel, right/bottom
        # edges of the last), the top-left one selected. Look just inside each, within the view.
        left, top = view.left, view.top
        right, bottom = view.left + view.width - 1, view.top + view.height - 1
        shot = self.screenshot("corners-settled")
        for (x, y), inward, fill in [((left, top), (3, 3), CORNER_SELECTED), ((right, top), (-3, 3), CORNER_OTHER),
                                     ((left, bottom), (3, -3), CORNER_OTHER), ((right, bottom), (-3, -3), CORNER_OTHER)]:
            self.assertEqual(shot.pixel(x + inward[0], y + inward[1]), fill, f"corner square at ({x}, {y})")

        # One jump of the mouse: the corner moves by the jump over the zoom, truncated.
        jump = (60, 45)
        app.drag([(left, top), (left + jump[0], top + jump[1])], settle=0.3)
        app.send(CMD_CORNER_RIGHT)
        app.send(CMD_CORNER_DOWN)
        corner = (math.trunc(jump[0] / view.zoom) + 1, math.trunc(jump[1] / view.zoom) + 1)
        # The preview worker renders at idle priority; give it time, then let the window catch up.
        time.sleep(2)
        app.send(0)
        shot = self.screenshot("perspective-preview")
        self.assertTrue(app.title().startswith("Trimming"))

        app.send(CMD_EXECUTE)
        app.wait_title(lambda t: not t.startswith("Trimming"), "the end of trim mode")
        output = self.decode(os.path.join(self.folder, "Output", "sample.bmp"))
        self.assertEqual(output.size, (400, 300))

        quad = [*corner, 1599, 0, 0, 1199, 1599, 1199]
        rect = ",".join(map(str, boxes))
        reference = os.path.join(self.folder, "reference.bmp")
        self.cli("trim", "--quad", ",".join(map(str, quad)), "--rect", rect, "--format", "bmp", PathArg(path), "-o",
                 PathArg(reference))
        plain = os.path.join(self.folder, "plain.bmp")
        self.cli("trim", "--rect", rect, "--format", "bmp", PathArg(path), "-o", PathArg(plain))
        self.assertNotEqual(output.rgb, self.decode(plain).rgb, "the perspective changed nothing")
        self.assertEqual(output.rgb, self.decode(reference).rgb, f"output differs from vantle-cli --quad {quad}")


if __name__ == "__main__":
    unittest.main()
