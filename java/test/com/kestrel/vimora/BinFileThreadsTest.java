package com.kestrel.vimora;

import static com.kestrel.vimora.BinFiles.JNI;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertSame;

import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Random;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** Eight threads make and read their own files at the same time. */
class BinFileThreadsTest {
    @TempDir Path dir;

    private void makeAndReadBack(int thread, CountDownLatch start) throws InterruptedException {
        Random random = new Random(1000 + thread);
        start.await();
        for (int round = 0; round < 4; ++round) {
            String chip = (thread + round) % 2 == 0 ? "R120" : "R100";
            DataParam[] panels = new DataParam[20 + random.nextInt(40)];
            for (int i = 0; i < panels.length; ++i) panels[i] = PanelContract.randomPanel(random, i);
            Path file = dir.resolve("thread" + thread + ".bin");
            HeaderParam header = BinFiles.header(thread % 4, thread, panels.length, round);
            assertEquals(0, JNI.makePanelBin(header, panels, file.toString(), chip));
            HeaderParam headerBack = new HeaderParam();
            assertSame(headerBack, JNI.readBinHeader(headerBack, file.toString(), chip));
            assertEquals(thread, headerBack.u32Addr);
            assertEquals(panels.length, headerBack.u32TotalNum);
            assertEquals(round, headerBack.u32Index);
            for (int i = 0; i < panels.length; ++i) {
                DataParam target = new DataParam();
                DataParam before = BinFiles.copy(target);
                assertSame(target, JNI.readBinBody(target, i, file.toString(), chip));
                BinFiles.assertReadBack(chip, panels[i], before, target,
                        "thread " + thread + " round " + round + " panel " + i);
            }
        }
    }

    @Test
    void eightThreadsAtOnce() throws Exception {
        ExecutorService pool = Executors.newFixedThreadPool(8);
        CountDownLatch start = new CountDownLatch(1);
        List<Future<?>> results = new ArrayList<>();
        try {
            for (int t = 0; t < 8; ++t) {
                int thread = t;
                results.add(pool.submit(() -> {
                    makeAndReadBack(thread, start);
                    return null;
                }));
            }
            start.countDown();
            for (Future<?> result : results) result.get(); // rethrows a thread's failure
        } finally {
            pool.shutdownNow();
        }
    }
}
